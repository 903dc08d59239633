/* A window manager that only answers frame requests
 * (_NET_REQUEST_FRAME_EXTENTS), with the extents it is given, after a delay:
 * a slow one, or one that lies. It manages nothing: windows map as asked.
 * usage: lying_wm LEFT RIGHT TOP BOTTOM DELAY-MS; prints "ready" when set up. */
#include <xcb/xcb.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* reply
        = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, (uint16_t)strlen(name), name), NULL);
    xcb_atom_t result = reply != NULL ? reply->atom : XCB_ATOM_NONE;
    free(reply);
    return result;
}

int main(int argc, char** argv)
{
    if (argc != 6)
        return 2;
    uint32_t extents[4];
    for (int i = 0; i < 4; ++i)
        extents[i] = (uint32_t)strtoul(argv[i + 1], NULL, 0);
    const long delay = strtol(argv[5], NULL, 10);
    xcb_connection_t* c = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(c))
        return 1;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_atom_t request = atom(c, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t frame = atom(c, "_NET_FRAME_EXTENTS");
    xcb_change_property(
        c, XCB_PROP_MODE_REPLACE, root, atom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 32, 1, &request);
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), NULL)); /* all of it done */
    printf("ready\n");
    fflush(stdout);
    xcb_generic_event_t* event;
    while ((event = xcb_wait_for_event(c)) != NULL) {
        const xcb_client_message_event_t* message = (const xcb_client_message_event_t*)event;
        if ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE && message->type == request) {
            const struct timespec wait = {delay / 1000, (delay % 1000) * 1000000};
            nanosleep(&wait, NULL);
            xcb_change_property(
                c, XCB_PROP_MODE_REPLACE, message->window, frame, XCB_ATOM_CARDINAL, 32, 4, extents);
            xcb_flush(c);
        }
        free(event);
    }
    return 0;
}
