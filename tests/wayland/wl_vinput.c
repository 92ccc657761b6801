// Test-only input for a wlroots compositor run without input devices: one virtual keyboard with
// a real XKB keymap (the default layout) and one virtual pointer on the compositor's seat, driven
// by commands read from standard input, one per line. Each command is answered on standard output
// with "ok" once the compositor has taken it in, or "error: why". The devices live as long as the
// program, so start it before the window that should get the keyboard focus.
//
//   key NAME [MS]     press and release the key whose keysym is NAME (space, p, Escape, ...),
//                     held MS milliseconds (300 when not given)
//   keydown NAME      press the key;  keyup NAME  release it
//   move DX DY        relative pointer motion
//   down [N] / up [N] press / release pointer button N (1 left, 2 middle, 3 right; 1 when not
//                     given);  click [N]  both, 150 ms apart
//   wait MS           let MS milliseconds pass
//   quit              remove the devices and end
#define _GNU_SOURCE
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

// What the registry offered, and the devices made from it; whole run.
static struct wl_seat* Seat;
static struct zwp_virtual_keyboard_manager_v1* KeyboardManager;
static struct zwlr_virtual_pointer_manager_v1* PointerManager;
static struct zwp_virtual_keyboard_v1* Keyboard;
static struct zwlr_virtual_pointer_v1* Pointer;
static struct xkb_keymap* Keymap;

static void Global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                   uint32_t version)
{
    (void)data;
    (void)version;
    if (strcmp(interface, wl_seat_interface.name) == 0 && !Seat)
        Seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    else if (strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
        KeyboardManager =
            wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1);
    else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        PointerManager =
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
}

static void GlobalRemove(void* data, struct wl_registry* registry, uint32_t name)
{
    (void)data;
    (void)registry;
    (void)name;
}

static const struct wl_registry_listener RegistryListener = {Global, GlobalRemove};

static uint32_t Now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (uint32_t)(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

static void Sleep(long ms)
{
    struct timespec t = {ms / 1000, (ms % 1000) * 1000000};
    nanosleep(&t, NULL);
}

// Gives the keyboard the default keymap, so the compositor and every client read its key codes
// as the keys they are.
static int SendKeymap(void)
{
    struct xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!context)
        return 0;
    struct xkb_rule_names names = {0};
    Keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    xkb_context_unref(context);
    if (!Keymap)
        return 0;
    char* text = xkb_keymap_get_as_string(Keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
    const size_t size = strlen(text) + 1;
    const int fd = memfd_create("keymap", MFD_CLOEXEC);
    const int written = fd >= 0 && write(fd, text, size) == (ssize_t)size;
    free(text);
    if (!written)
        return 0;
    zwp_virtual_keyboard_v1_keymap(Keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, (uint32_t)size);
    close(fd);
    zwp_virtual_keyboard_v1_modifiers(Keyboard, 0, 0, 0, 0);
    return 1;
}

// The evdev code of the key that gives keysym `name` without modifiers, or -1.
static int KeyCode(const char* name)
{
    xkb_keysym_t wanted = xkb_keysym_from_name(name, XKB_KEYSYM_NO_FLAGS);
    if (wanted == XKB_KEY_NoSymbol)
        wanted = xkb_keysym_from_name(name, XKB_KEYSYM_CASE_INSENSITIVE);
    if (wanted == XKB_KEY_NoSymbol)
        return -1;
    for (xkb_keycode_t code = xkb_keymap_min_keycode(Keymap);
         code <= xkb_keymap_max_keycode(Keymap); ++code)
    {
        const xkb_keysym_t* syms = NULL;
        const int count = xkb_keymap_key_get_syms_by_level(Keymap, code, 0, 0, &syms);
        for (int i = 0; i < count; ++i)
            if (syms[i] == wanted)
                return (int)code - 8; // XKB numbers keys 8 above evdev
    }
    return -1;
}

static int Key(const char* name, int pressed)
{
    const int code = KeyCode(name);
    if (code < 0)
        return 0;
    zwp_virtual_keyboard_v1_key(Keyboard, Now(), (uint32_t)code,
                                pressed ? WL_KEYBOARD_KEY_STATE_PRESSED
                                        : WL_KEYBOARD_KEY_STATE_RELEASED);
    return 1;
}

static int Button(int number, int pressed)
{
    static const uint32_t codes[] = {BTN_LEFT, BTN_MIDDLE, BTN_RIGHT};
    if (number < 1 || number > 3)
        return 0;
    zwlr_virtual_pointer_v1_button(Pointer, Now(), codes[number - 1],
                                   pressed ? WL_POINTER_BUTTON_STATE_PRESSED
                                           : WL_POINTER_BUTTON_STATE_RELEASED);
    zwlr_virtual_pointer_v1_frame(Pointer);
    return 1;
}

// Runs one command line; null when it worked, else why not.
static const char* Run(struct wl_display* display, char* line)
{
    char word[32] = "", name[64] = "";
    double dx = 0, dy = 0;
    long ms = 300;
    int number = 1;
    if (sscanf(line, "%31s", word) != 1)
        return "empty command";
    if (strcmp(word, "key") == 0)
    {
        if (sscanf(line, "%*s %63s %ld", name, &ms) < 1)
            return "key needs a name";
        if (!Key(name, 1))
            return "no such key";
        wl_display_roundtrip(display);
        Sleep(ms);
        Key(name, 0);
    }
    else if (strcmp(word, "keydown") == 0 || strcmp(word, "keyup") == 0)
    {
        if (sscanf(line, "%*s %63s", name) != 1 || !Key(name, word[3] == 'd'))
            return "no such key";
    }
    else if (strcmp(word, "move") == 0)
    {
        if (sscanf(line, "%*s %lf %lf", &dx, &dy) != 2)
            return "move needs DX DY";
        zwlr_virtual_pointer_v1_motion(Pointer, Now(), wl_fixed_from_double(dx),
                                       wl_fixed_from_double(dy));
        zwlr_virtual_pointer_v1_frame(Pointer);
    }
    else if (strcmp(word, "down") == 0 || strcmp(word, "up") == 0 || strcmp(word, "click") == 0)
    {
        sscanf(line, "%*s %d", &number);
        if (!Button(number, word[0] != 'u'))
            return "no such button";
        if (word[0] == 'c')
        {
            wl_display_roundtrip(display);
            Sleep(150);
            Button(number, 0);
        }
    }
    else if (strcmp(word, "wait") == 0)
    {
        if (sscanf(line, "%*s %ld", &ms) != 1)
            return "wait needs MS";
        Sleep(ms);
    }
    else
        return "unknown command";
    return wl_display_roundtrip(display) < 0 ? "the compositor went away" : NULL;
}

int main(void)
{
    struct wl_display* display = wl_display_connect(NULL);
    if (!display)
    {
        fprintf(stderr, "wl_vinput: no Wayland display\n");
        return 1;
    }
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &RegistryListener, NULL);
    wl_display_roundtrip(display);
    if (!Seat || !KeyboardManager || !PointerManager)
    {
        fprintf(stderr, "wl_vinput: the compositor offers no seat or no virtual keyboard and "
                        "pointer\n");
        return 1;
    }
    Keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(KeyboardManager, Seat);
    Pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(PointerManager, Seat);
    if (!SendKeymap() || wl_display_roundtrip(display) < 0)
    {
        fprintf(stderr, "wl_vinput: the keyboard has no keymap\n");
        return 1;
    }
    setvbuf(stdout, NULL, _IOLBF, 0);
    printf("ready\n");

    char line[256];
    while (fgets(line, sizeof line, stdin))
    {
        if (strncmp(line, "quit", 4) == 0)
            break;
        const char* error = Run(display, line);
        if (error)
            printf("error: %s\n", error);
        else
            printf("ok\n");
    }
    zwp_virtual_keyboard_v1_destroy(Keyboard);
    zwlr_virtual_pointer_v1_destroy(Pointer);
    wl_display_roundtrip(display);
    xkb_keymap_unref(Keymap);
    wl_display_disconnect(display);
    return 0;
}
