# End-to-end tests of the instrument settings and the data log: Get Config,
# Save Config, Download Log, Export Log, Erase Instrument Data and Print Log.
# Included at the end of tests/e2e/CMakeLists.txt, whose add_wine_test and
# prefix fixture they use.

# The printer that captures print jobs as files (scripts/wine/printer.py),
# added to the run's prefix once, after the prefix is made.
add_test(NAME wine.printer
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/wine/printer.py ${e2e_prefix})
set_tests_properties(wine.printer PROPERTIES
  FIXTURES_SETUP wine_printer FIXTURES_REQUIRED wine_prefix RESOURCE_LOCK wine_prefix LABELS wine TIMEOUT 180)

add_wine_test(test_settings GetConfig
  test_each_field_shows_its_own_setting_from_its_value_position)
add_wine_test(test_settings SaveConfig
  test_edited_settings_reach_the_instrument_and_are_shown_read_back
  test_access_level_4_is_refused_in_an_owned_box_and_the_other_six_are_written)
add_wine_test(test_data_log DownloadAndExport
  test_sample_log_is_listed_with_separators_exported_byte_for_byte_and_719k_downloads_the_same)
add_wine_test(test_data_log OverwriteQuestion
  test_no_keeps_the_file_and_asks_again_with_the_same_path_yes_replaces_it_whole)
add_wine_test(test_data_log EraseInstrumentData
  test_erase_asks_first_with_no_as_the_default_and_only_yes_empties_the_log)
add_wine_test(test_data_log FailedDownload
  test_download_that_stops_part_way_lists_only_its_own_lines_and_says_so)

set(print_tests
  test_every_list_line_is_printed_at_its_place_58_a_page_with_the_short_header
  test_cancel_in_the_print_dialog_leaves_everything_as_it_was)
add_wine_test(test_printing PrintLog ${print_tests})
foreach(method IN LISTS print_tests)
  set_property(TEST wine.test_printing.PrintLog.${method} APPEND PROPERTY FIXTURES_REQUIRED wine_printer)
endforeach()
