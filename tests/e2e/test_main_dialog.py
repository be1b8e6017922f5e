"""The main dialog under Wine: its state at start, keys that must do nothing,
resizing, and how the program ends."""

import time

from harness import ProgramTest, ids, port_list_for, windows_path

BUTTONS = [ids.IDC_CONNECT, ids.IDC_DISCONNECT, ids.IDC_SET_TIME, ids.IDC_GET_CONFIG, ids.IDC_SAVE_CONFIG,
           ids.IDC_DOWNLOAD_LOG, ids.IDC_ERASE_DATA, ids.IDC_EXPORT_LOG, ids.IDC_PRINT_LOG, ids.IDC_ABOUT,
           ids.IDC_QUIT]
ENABLED_AT_START = {ids.IDC_CONNECT, ids.IDC_QUIT, ids.IDC_ABOUT}
# Every control of the template, for the resize check.
ALL_CONTROLS = [value for name, value in vars(ids).items() if name.startswith("IDC_")]
# What the operator can type into each settings edit: digits only, this many.
TYPING_LIMITS = {ids.IDC_INSTRUMENT_NO: 6, ids.IDC_USER_ID: 9, ids.IDC_LOCATION: 6, ids.IDC_ACCESS_LEVEL: 1,
                 ids.IDC_ALARM: 4, ids.IDC_SPAN: 4, ids.IDC_RESPONSE_FACTOR: 4}
# Long enough for a key or a command that went astray to have shown its
# effect (a box, a closed window) in the program's own message loop.
SETTLE_S = 1.0


class StartUp(ProgramTest):
    def test_start_state_has_only_connect_quit_about_enabled_and_empty_bars(self):
        ui = self.start_program()
        self.assertEqual(ui.class_name(0), "_19ksetClass")
        self.assertEqual(ui.text(0), "TARVELL 719K")
        self.assertEqual(ui.combo_items(ids.IDC_PORT), port_list_for(self.serial_ports_listed()))
        self.assertEqual(ui.text(ids.IDC_PORT), "COM1")
        self.assertTrue(ui.enabled(ids.IDC_PORT))
        self.assertEqual({b for b in BUTTONS if ui.enabled(b)}, ENABLED_AT_START)
        self.assertEqual(ui.text(ids.IDC_STATUS), "")
        self.assertEqual(ui.progress(ids.IDC_PROGRESS)[0], 0)
        self.assertEqual(ui.focused(), ids.IDC_CONNECT)
        self.assertEqual(ui.boxes(), [])

    def test_caption_shows_the_program_icon(self):
        ui = self.start_program()
        self.assertTrue(ui.caption_icon(ids.IDI_PROGRAM_ICON, windows_path(self.program_exe)))


class KeysThatDoNothing(ProgramTest):
    def assert_untouched(self, ui, edit_text):
        time.sleep(SETTLE_S)
        self.assertTrue(ui.alive())
        self.assertIsNone(self.program.poll(), "the program ended")
        self.assertEqual(ui.boxes(), [])
        self.assertEqual(ui.text(ids.IDC_INSTRUMENT_NO), edit_text)
        self.assertEqual(ui.text(ids.IDC_STATUS), "")
        self.assertEqual({b for b in BUTTONS if ui.enabled(b)}, ENABLED_AT_START)

    def test_escape_does_not_close_the_dialog(self):
        ui = self.start_program()
        for focus in (ids.IDC_CONNECT, ids.IDC_INSTRUMENT_NO, ids.IDC_LOG_LIST):
            with self.subTest(focus=focus):
                ui.focus(focus)
                ui.key("escape")
                self.assert_untouched(ui, "")

    def test_enter_on_an_edit_the_list_or_the_port_selector_does_nothing(self):
        ui = self.start_program()
        ui.set_text(ids.IDC_INSTRUMENT_NO, "123")
        for focus in (ids.IDC_INSTRUMENT_NO, ids.IDC_LOG_LIST, ids.IDC_PORT):
            with self.subTest(focus=focus):
                ui.focus(focus)
                self.assertEqual(ui.focused(), focus)
                ui.key("enter")
                self.assert_untouched(ui, "123")
        # The same key on a focused push button presses it: the keys above
        # did reach the dialog.
        ui.focus(ids.IDC_QUIT)
        ui.key("enter")
        self.assertEqual(self.wait_exit(), 1)


class Typing(ProgramTest):
    def test_settings_edits_take_only_digits_and_only_up_to_their_limit(self):
        ui = self.start_program()
        for edit, limit in TYPING_LIMITS.items():
            with self.subTest(edit=edit):
                ui.type_text(edit, "1a2.3 4567890")
                self.assertEqual(ui.text(edit), "1234567890"[:limit])


class Resizing(ProgramTest):
    def test_resizing_leaves_every_control_where_the_template_put_it(self):
        ui = self.start_program()
        before = {control: ui.rect(control) for control in ALL_CONTROLS}
        left, top, right, bottom = ui.window_rect()
        for width, height in ((right - left + 200, bottom - top + 150), (right - left - 150, bottom - top - 100)):
            with self.subTest(size=(width, height)):
                ui.resize(width, height)
                ui.wait_until(lambda: ui.window_rect()[2:] == (left + width, top + height), 10,
                              what="window resized")
                time.sleep(SETTLE_S)
                self.assertEqual({control: ui.rect(control) for control in ALL_CONTROLS}, before)


class Ending(ProgramTest):
    def start_connected(self):
        self.start_simulator(1, self.state_copy())
        ui = self.start_program()
        self.connect()
        self.assertEqual(ui.text(ids.IDC_STATUS), "Connected")
        return ui

    def test_quit_ends_with_exit_code_1(self):
        ui = self.start_connected()
        ui.click(ids.IDC_QUIT)
        self.assertEqual(self.wait_exit(), 1)

    def test_close_box_ends_with_exit_code_0(self):
        ui = self.start_connected()
        ui.close()
        self.assertEqual(self.wait_exit(), 0)

    def test_quit_without_a_connection_ends_without_a_box(self):
        ui = self.start_program()
        ui.click(ids.IDC_QUIT)
        self.assertEqual(self.wait_exit(), 1)

