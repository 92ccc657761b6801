// The log line on standard error and the run's set of keys already logged once.
#include "log.h"

#include <cstdarg>
#include <cstdio>
#include <set>
#include <string>

namespace
{
// Whole run: the keys LogOnce has written.
std::set<std::string>& LoggedKeys()
{
    static std::set<std::string> keys;
    return keys;
}

void WriteLine(const char* source, const char* format, va_list args)
{
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    std::string line = source;
    line += ": ";
    if (length > 0)
    {
        const size_t start = line.size();
        line.resize(start + size_t(length) + 1);
        std::vsnprintf(&line[start], size_t(length) + 1, format, args);
        line.resize(start + size_t(length));
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}
} // namespace

void Log(const char* source, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    WriteLine(source, format, args);
    va_end(args);
}

void LogOnce(const char* key, const char* source, const char* format, ...)
{
    if (!LoggedKeys().insert(key).second)
        return;
    va_list args;
    va_start(args, format);
    WriteLine(source, format, args);
    va_end(args);
}
