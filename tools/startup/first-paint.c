/* first-paint PROGRAM [ARGUMENT...]
 *
 * Starts PROGRAM on the X display and prints three figures on one line:
 * milliseconds from just before its exec to the first drawing into one of its
 * windows (the X server's damage report, so the same measure for any
 * toolkit), the milliseconds to that window's mapping, and its resident
 * memory in KiB two seconds after the drawing. Then it ends PROGRAM with
 * SIGTERM. Exit status 1 when no drawing came within 20 s.
 */
#define _GNU_SOURCE
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

static double Now(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec * 1e3 + (double)now.tv_nsec / 1e6;
}

/* The process that owns `window`, from the _NET_WM_PID that toolkits set. */
static long WindowPid(xcb_connection_t* connection, xcb_atom_t pidAtom, xcb_window_t window)
{
    xcb_get_property_reply_t* reply = xcb_get_property_reply(connection,
        xcb_get_property(connection, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1), NULL);
    long pid = -1;
    if (reply != NULL && xcb_get_property_value_length(reply) == 4)
        pid = *(unsigned int*)xcb_get_property_value(reply);
    free(reply);
    return pid;
}

static long ResidentKiB(pid_t pid)
{
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
    FILE* status = fopen(path, "r");
    long kib = -1;
    char line[256];
    while (status != NULL && fgets(line, sizeof line, status) != NULL)
        if (sscanf(line, "VmRSS: %ld kB", &kib) == 1)
            break;
    if (status != NULL)
        fclose(status);
    return kib;
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: first-paint PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    int screenNumber;
    xcb_connection_t* connection = xcb_connect(NULL, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        fprintf(stderr, "first-paint: no X display\n");
        return 2;
    }
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(connection, &xcb_damage_id);
    if (damage == NULL || !damage->present) {
        fprintf(stderr, "first-paint: the X server has no DAMAGE extension\n");
        return 2;
    }
    free(xcb_damage_query_version_reply(connection, xcb_damage_query_version(connection, 1, 1), NULL));
    xcb_intern_atom_reply_t* atom
        = xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, 11, "_NET_WM_PID"), NULL);
    const xcb_atom_t pidAtom = atom != NULL ? atom->atom : XCB_ATOM_NONE;
    free(atom);

    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t root = screens.data->root;
    const uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &events);
    xcb_flush(connection);

    const double started = Now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }

    /* Every new top-level window gets a damage report, so that its first
     * drawing cannot come before the report exists; the window manager's
     * frames are told apart by their owner. */
    double mapped = -1;
    double painted = -1;
    xcb_window_t mappedWindow = XCB_NONE;
    struct pollfd descriptor = {xcb_get_file_descriptor(connection), POLLIN, 0};
    while (painted < 0 && Now() - started < 20000) {
        xcb_generic_event_t* event = xcb_poll_for_event(connection);
        if (event == NULL) {
            if (xcb_connection_has_error(connection))
                break;
            poll(&descriptor, 1, 100);
            continue;
        }
        const int type = event->response_type & 0x7F;
        if (type == XCB_CREATE_NOTIFY) {
            /* Its own mapping too: once a window manager has framed it, the
             * root no longer hears of it. */
            const xcb_window_t window = ((xcb_create_notify_event_t*)event)->window;
            const uint32_t structure = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
            xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &structure);
            xcb_damage_create(connection, xcb_generate_id(connection), window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
            xcb_flush(connection);
        } else if (type == XCB_MAP_NOTIFY && mapped < 0) {
            const xcb_window_t window = ((xcb_map_notify_event_t*)event)->window;
            if (WindowPid(connection, pidAtom, window) == pid) {
                mapped = Now() - started;
                mappedWindow = window;
            }
        } else if (type == damage->first_event + XCB_DAMAGE_NOTIFY) {
            const xcb_window_t window = ((xcb_damage_notify_event_t*)event)->drawable;
            if (window == mappedWindow || WindowPid(connection, pidAtom, window) == pid)
                painted = Now() - started;
        }
        free(event);
    }

    long kib = -1;
    if (painted >= 0) {
        const double until = Now() + 2000;
        while (Now() < until)
            usleep(10000);
        kib = ResidentKiB(pid);
        printf("%.1f %.1f %ld\n", painted, mapped, kib);
    }
    kill(pid, SIGTERM);
    for (int i = 0; i < 200 && waitpid(pid, NULL, WNOHANG) == 0; ++i)
        usleep(10000);
    kill(pid, SIGKILL);
    waitpid(pid, NULL, 0);
    xcb_disconnect(connection);
    return painted >= 0 ? 0 : 1;
}
