/* A selection owner that misbehaves as real programs do: "once" gives the
 * text to one paste and goes away (as `xclip -l 1` and many exiting programs
 * do: the list of targets is not counted); "never" answers nothing (a hung
 * program). Prints "ready" once it owns the selection, then a line for each
 * request it gets.
 * usage: clipboard_owner CLIPBOARD|PRIMARY once|never TEXT */
#include <xcb/xcb.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

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
    if (argc != 4)
        return 2;
    const int once = strcmp(argv[2], "once") == 0;
    const char* text = argv[3];
    xcb_connection_t* c = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(c))
        return 1;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
        XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, NULL);
    const xcb_atom_t selection = atom(c, argv[1]);
    const xcb_atom_t targets = atom(c, "TARGETS");
    const xcb_atom_t utf8 = atom(c, "UTF8_STRING");
    xcb_set_selection_owner(c, window, selection, XCB_CURRENT_TIME);
    xcb_get_selection_owner_reply_t* owner
        = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), NULL);
    if (owner == NULL || owner->owner != window)
        return 1;
    free(owner);
    printf("ready\n");
    fflush(stdout);
    xcb_generic_event_t* event;
    int requests = 0;
    while ((event = xcb_wait_for_event(c)) != NULL) {
        if ((event->response_type & 0x7F) == XCB_SELECTION_REQUEST) {
            const xcb_selection_request_event_t* request = (const xcb_selection_request_event_t*)event;
            printf("request %d\n", ++requests);
            fflush(stdout);
            if (once) {
                xcb_selection_notify_event_t notify = {0};
                notify.response_type = XCB_SELECTION_NOTIFY;
                notify.time = request->time;
                notify.requestor = request->requestor;
                notify.selection = request->selection;
                notify.target = request->target;
                notify.property = request->property;
                if (request->target == targets) {
                    const xcb_atom_t offered[] = {targets, utf8};
                    xcb_change_property(c, XCB_PROP_MODE_REPLACE, request->requestor, request->property,
                        XCB_ATOM_ATOM, 32, 2, offered);
                } else if (request->target == utf8) {
                    xcb_change_property(c, XCB_PROP_MODE_REPLACE, request->requestor, request->property, utf8,
                        8, (uint32_t)strlen(text), text);
                } else {
                    notify.property = XCB_ATOM_NONE;
                }
                xcb_send_event(c, 0, request->requestor, 0, (const char*)&notify);
                xcb_flush(c);
                if (request->target != targets) {
                    free(event);
                    break; /* gone, as a program that exits */
                }
            }
        }
        free(event);
    }
    xcb_disconnect(c);
    return 0;
}
