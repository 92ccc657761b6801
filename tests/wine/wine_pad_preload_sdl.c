/* A game controller for the Windows programs under Wine, for tests.

   Loaded with LD_PRELOAD into every Wine process, it acts only in Wine's device process
   (winedevice.exe), where Wine's input bus reads game controllers through SDL. There a thread
   waits until that process has started SDL's joystick subsystem, then plays a controller from a
   command file, one command a line, read as lines are added:
       attach                 plugs in a virtual game controller (6 axes, 15 buttons)
       detach                 pulls it out
       button <name> <0|1>    a, b, x, y, back, guide, start, leftstick, rightstick,
                              leftshoulder, rightshoulder, dpup, dpdown, dpleft, dpright
       axis <name> <value>    leftx, lefty, rightx, righty, lefttrigger, righttrigger;
                              -32768..32767
   SDL maps a virtual game controller itself, its buttons and axes in SDL's own order of
   controller buttons and axes, so the names above are SDL's.

   Environment:
       ZENDRILL_PAD_COMMANDS  the command file (nothing happens without it)
       ZENDRILL_PAD_STATUS    optional: a file where each step and each failure is appended,
                              so a test can tell "the bus never started SDL" from "DirectInput
                              did not list the controller" */
#include <SDL2/SDL.h>

#include <pthread.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

static const char* status_path;

static void note(const char* format, ...)
{
    if (!status_path)
        return;
    FILE* file = fopen(status_path, "a");
    if (!file)
        return;
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    fprintf(file, "%lld.%03ld [%d] ", (long long)now.tv_sec, now.tv_nsec / 1000000, (int)getpid());
    va_list args;
    va_start(args, format);
    vfprintf(file, format, args);
    va_end(args);
    fputc('\n', file);
    fclose(file);
}

static void sleep_ms(long ms)
{
    struct timespec pause = {ms / 1000, (ms % 1000) * 1000000};
    nanosleep(&pause, NULL);
}

/* The process's command line with its arguments' zero bytes turned into spaces. */
static void read_command_line(char* text, size_t size)
{
    text[0] = 0;
    FILE* file = fopen("/proc/self/cmdline", "rb");
    if (!file)
        return;
    size_t length = fread(text, 1, size - 1, file);
    fclose(file);
    for (size_t i = 0; i < length; i++)
        if (text[i] == 0)
            text[i] = ' ';
    text[length] = 0;
}

static SDL_JoystickID pad_id = -1;
static SDL_Joystick* pad;

/* The device index of the attached controller now (indices shift as devices come and go). */
static int pad_index(void)
{
    for (int i = 0; i < SDL_NumJoysticks(); i++)
        if (SDL_JoystickGetDeviceInstanceID(i) == pad_id)
            return i;
    return -1;
}

static void attach(void)
{
    if (pad)
    {
        note("attach: already attached");
        return;
    }
    SDL_VirtualJoystickDesc desc;
    memset(&desc, 0, sizeof desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1;
    /* An Xbox 360 pad's identity: the pad most players have, which Windows (and Wine) reads
       through XInput and maps to a fixed DirectInput layout. */
    desc.vendor_id = 0x045e;
    desc.product_id = 0x028e;
    desc.name = "Zendrill test pad";
    int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index < 0)
    {
        note("attach failed: %s", SDL_GetError());
        return;
    }
    pad_id = SDL_JoystickGetDeviceInstanceID(index);
    pad = SDL_JoystickOpen(index);
    if (!pad)
    {
        note("attach: open failed: %s", SDL_GetError());
        SDL_JoystickDetachVirtual(index);
        pad_id = -1;
        return;
    }
    /* Triggers at rest are at the bottom of their range. */
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
    note("attached: device %d, instance %d, game controller %d", index, (int)pad_id,
         SDL_IsGameController(index));
}

static void detach(void)
{
    if (!pad)
    {
        note("detach: nothing attached");
        return;
    }
    SDL_JoystickClose(pad);
    pad = NULL;
    int index = pad_index();
    if (index < 0 || SDL_JoystickDetachVirtual(index) < 0)
        note("detach failed: %s", SDL_GetError());
    else
        note("detached");
    pad_id = -1;
}

static void run_command(char* line)
{
    char verb[16], name[32];
    int value = 0;
    int fields = sscanf(line, "%15s %31s %d", verb, name, &value);
    if (fields < 1)
        return;
    if (strcmp(verb, "attach") == 0)
        attach();
    else if (strcmp(verb, "detach") == 0)
        detach();
    else if (fields == 3 && strcmp(verb, "button") == 0)
    {
        SDL_GameControllerButton button = SDL_GameControllerGetButtonFromString(name);
        if (!pad || button == SDL_CONTROLLER_BUTTON_INVALID ||
            SDL_JoystickSetVirtualButton(pad, button, value ? SDL_PRESSED : SDL_RELEASED) < 0)
            note("failed: %s", line);
        else
            note("done: %s", line);
    }
    else if (fields == 3 && strcmp(verb, "axis") == 0)
    {
        SDL_GameControllerAxis axis = SDL_GameControllerGetAxisFromString(name);
        if (!pad || axis == SDL_CONTROLLER_AXIS_INVALID ||
            SDL_JoystickSetVirtualAxis(pad, axis, (Sint16)value) < 0)
            note("failed: %s", line);
        else
            note("done: %s", line);
    }
    else
        note("unknown command: %s", line);
}

static void* drive(void* argument)
{
    const char* commands = argument;
    /* Wine's bus starts SDL when the device process loads it; that may be before or after this
       thread starts. */
    while (!SDL_WasInit(SDL_INIT_JOYSTICK))
        sleep_ms(10);
    note("SDL joystick subsystem running; reading %s", commands);

    long offset = 0;
    char line[256];
    for (;;)
    {
        /* Opened only when it has grown: the device process runs as long as the prefix. */
        struct stat info;
        FILE* file = NULL;
        if (stat(commands, &info) == 0 && info.st_size > offset)
            file = fopen(commands, "r");
        if (file)
        {
            fseek(file, offset, SEEK_SET);
            /* Only whole lines: one still being written is read on the next pass. */
            while (fgets(line, sizeof line, file))
            {
                size_t length = strlen(line);
                if (length == 0 || line[length - 1] != '\n')
                    break;
                offset += (long)length;
                line[length - 1] = 0;
                run_command(line);
            }
            fclose(file);
        }
        sleep_ms(2);
    }
    return NULL;
}

__attribute__((constructor)) static void start(void)
{
    const char* commands = getenv("ZENDRILL_PAD_COMMANDS");
    if (!commands || !*commands)
        return;
    char command_line[1024];
    read_command_line(command_line, sizeof command_line);
    if (!strstr(command_line, "winedevice"))
        return;
    status_path = getenv("ZENDRILL_PAD_STATUS");
    note("loaded in %s", command_line);
    pthread_t thread;
    if (pthread_create(&thread, NULL, drive, (void*)commands) != 0)
    {
        note("no thread");
        return;
    }
    pthread_detach(thread);
}
