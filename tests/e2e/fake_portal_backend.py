'''python-dbusmock template: a fake xdg-desktop-portal back end offering ScreenCast only.

Parameters: node (the PipeWire node of the "monitor"), x, y, width, height (where the monitor lies),
start (what the user does in the dialog; see START_MODES). The test interface counts the dialogs,
changes the node and the answer between runs, and reports the options of the latest SelectSources.
'''

import json
import sys
import time

import dbus

BUS_NAME = 'org.freedesktop.impl.portal.desktop.fake'
MAIN_OBJ = '/org/freedesktop/portal/desktop'
MAIN_IFACE = 'org.freedesktop.impl.portal.ScreenCast'
SYSTEM_BUS = False
TEST_IFACE = 'org.example.FakePortal.Test'

# grant: the user picks the monitor; cancel: closes the dialog (1); deny: the desktop refuses
# (2); no-streams: a success without any stream; wrong-types: a stream whose size is text;
# hang: the dialog stays open (the back end answers nothing for a minute).
START_MODES = ('grant', 'cancel', 'deny', 'no-streams', 'wrong-types', 'hang')
DIALOG_OPEN = 'the dialog stays open'



def _stream(mock, size):
    return dbus.Struct((dbus.UInt32(mock.node), dbus.Dictionary({
        'position': dbus.Struct((dbus.Int32(mock.x), dbus.Int32(mock.y)), signature='ii'),
        'size': size,
        'source_type': dbus.UInt32(1)}, signature='sv')), signature='ua{sv}')


def load(mock, parameters):
    mock.node = int(parameters.get('node', 0))
    mock.x, mock.y = int(parameters.get('x', 0)), int(parameters.get('y', 0))
    mock.width, mock.height = int(parameters.get('width', 1920)), int(parameters.get('height', 1080))
    mock.start_mode = parameters.get('start', 'grant')
    mock.dialogs = 0
    mock.selected = {}

    def select(self, handle, session, app_id, options):
        self.selected = {str(k): (v if isinstance(v, (bool, str)) else int(v))
                         for k, v in options.items() if isinstance(v, (bool, str, int))}
        self.selected_keys = sorted(str(k) for k in options)
        return (dbus.UInt32(0), dbus.Dictionary({}, signature='sv'))

    def start(self, handle, session, app_id, parent, options):
        self.dialogs += 1
        mode = self.start_mode
        if mode == 'hang':
            print(DIALOG_OPEN, flush=True)
            sys.stdout.flush()
            time.sleep(60)
        if mode in ('cancel', 'deny'):
            return (dbus.UInt32(1 if mode == 'cancel' else 2), dbus.Dictionary({}, signature='sv'))
        if mode == 'no-streams':
            streams = dbus.Array([], signature='(ua{sv})')
        elif mode == 'wrong-types':
            streams = dbus.Array([_stream(self, dbus.Struct(('wide', 'tall'), signature='ss'))],
                                 signature='(ua{sv})')
        else:
            size = dbus.Struct((dbus.Int32(self.width), dbus.Int32(self.height)), signature='ii')
            streams = dbus.Array([_stream(self, size)], signature='(ua{sv})')
        return (dbus.UInt32(0), dbus.Dictionary({'streams': streams}, signature='sv'))

    def configure(self, node, mode):
        if mode not in START_MODES:
            raise dbus.exceptions.DBusException('unknown mode ' + mode)
        self.node, self.start_mode = int(node), str(mode)

    def selected_options(self):
        return json.dumps({'options': self.selected, 'keys': self.selected_keys})

    mock.fake_select = select.__get__(mock)
    mock.fake_start = start.__get__(mock)
    mock.fake_configure = configure.__get__(mock)
    mock.fake_selected = selected_options.__get__(mock)
    mock.selected_keys = []
    mock.AddProperties(MAIN_IFACE, {'AvailableSourceTypes': dbus.UInt32(1),
                                    'AvailableCursorModes': dbus.UInt32(3),
                                    'version': dbus.UInt32(4)})
    mock.AddMethod(MAIN_IFACE, 'CreateSession', 'oosa{sv}', 'ua{sv}',
                   'self.AddObject(args[1], "org.freedesktop.impl.portal.Session", {}, '
                   '[("Close", "", "", "self.RemoveObject(self.__dbus_object_path__)")]); '
                   'ret = (dbus.UInt32(0), dbus.Dictionary({"session_id": "fake-session"}, '
                   'signature="sv"))')
    mock.AddMethod(MAIN_IFACE, 'SelectSources', 'oosa{sv}', 'ua{sv}',
                   'ret = self.fake_select(*args)')
    mock.AddMethod(MAIN_IFACE, 'Start', 'oossa{sv}', 'ua{sv}', 'ret = self.fake_start(*args)')
    mock.AddMethod(TEST_IFACE, 'Dialogs', '', 'u', 'ret = dbus.UInt32(self.dialogs)')
    mock.AddMethod(TEST_IFACE, 'Configure', 'us', '', 'self.fake_configure(*args)')
    mock.AddMethod(TEST_IFACE, 'Selected', '', 's', 'ret = self.fake_selected()')
