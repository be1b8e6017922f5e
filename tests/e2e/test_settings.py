"""Get Config and Save Config under Wine, against instrument-sim: the fields
show the instrument's settings, Save Config writes the edited ones, and an
access level out of range is refused while the other settings are still
written."""

from harness import IDOK, ids, read_state
from test_data_log import DataLogTest

# Each writable field, the state file's name for its setting, and an edited
# value unlike every value of the sample instrument.
WRITABLE = [
    (ids.IDC_INSTRUMENT_NO, "instrument_number", "004711"),
    (ids.IDC_USER_ID, "user_id", "000000777"),
    (ids.IDC_LOCATION, "location_code", "000321"),
    (ids.IDC_ACCESS_LEVEL, "access_level", "3"),
    (ids.IDC_ALARM, "alarm_setting", "0080"),
    (ids.IDC_SPAN, "span_concentration", "0250"),
    (ids.IDC_RESPONSE_FACTOR, "response_factor", "2.50"),
]
# The instrument answers "GET OPERATING MODE" with its label padded with
# dots to 17 characters, then the mode; the field shows the whole line.
MODE_LABEL = "OPERATING MODE".ljust(17, ".")


def shown_fields(state):
    shown = {field: state[name] for field, name, _ in WRITABLE}
    shown[ids.IDC_OPERATING_MODE] = MODE_LABEL + state["operating_mode"]
    return shown


class SettingsTest(DataLogTest):
    def start(self):
        self.state_file = self.start_with_log([])
        self.run_operation(ids.IDC_GET_CONFIG, "Get Config ended")

    def fields(self):
        return {field: self.ui.text(field) for field in shown_fields(read_state(self.state_file))}

    def assert_ended(self):
        """Save Config ends with the Get Config that re-reads the fields."""
        self.assertEqual(self.ui.text(ids.IDC_STATUS), "Connected")
        self.assertEqual(self.ui.progress(ids.IDC_PROGRESS), (80, 0, 80))
        self.assertEqual(self.ui.boxes(), [])


class GetConfig(SettingsTest):
    def test_each_field_shows_its_own_setting_from_its_value_position(self):
        self.start()
        self.assertEqual(self.fields(), shown_fields(read_state(self.state_file)))
        self.assert_ended()


class SaveConfig(SettingsTest):
    def edit(self, values):
        for field, _, value in values:
            self.ui.set_text(field, value)
        # Read-only and never written: whatever the field holds stays here.
        self.ui.set_text(ids.IDC_OPERATING_MODE, "X9")

    def test_edited_settings_reach_the_instrument_and_are_shown_read_back(self):
        self.start()
        before = read_state(self.state_file)
        self.edit(WRITABLE)
        self.run_operation(ids.IDC_SAVE_CONFIG, "Save Config ended")

        after = read_state(self.state_file)
        self.assertEqual({name: after[name] for _, name, _ in WRITABLE},
                         {name: value for _, name, value in WRITABLE})
        self.assertEqual(after["operating_mode"], before["operating_mode"])
        self.assertEqual(self.fields(), shown_fields(after))
        self.assert_ended()

    def test_access_level_4_is_refused_in_an_owned_box_and_the_other_six_are_written(self):
        self.start()
        before = read_state(self.state_file)
        others = [entry for entry in WRITABLE if entry[0] != ids.IDC_ACCESS_LEVEL]
        self.edit(others)
        self.ui.set_text(ids.IDC_ACCESS_LEVEL, "4")
        self.start_operation(ids.IDC_SAVE_CONFIG)

        box = self.only_box("Input Error")
        self.assert_owned_box(box, "Input Error", "Access level value must be 1, 2, or 3", [IDOK], "error")
        # The access level comes first: nothing has been written yet.
        self.assertEqual(self.ui.text(ids.IDC_STATUS), "Uploading Configuration")
        self.assertEqual(self.ui.progress(ids.IDC_PROGRESS), (0, 0, 70))
        self.assertEqual(read_state(self.state_file), before)
        self.ui.answer(box, IDOK)
        self.wait_until_connected("Save Config ended")

        after = read_state(self.state_file)
        self.assertEqual({name: after[name] for _, name, _ in others}, {name: value for _, name, value in others})
        self.assertEqual(after["access_level"], before["access_level"])
        self.assertEqual(self.fields(), shown_fields(after))
        self.assert_ended()
