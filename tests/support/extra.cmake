# The number formats must hold under a locale whose decimal separator is the comma. This run puts
# such a locale in the environment; the test skips itself when the locale is not installed.
add_test(NAME support.WStringLocaleComma
         COMMAND test_support --gtest_filter=WStringLocale.*)
set_tests_properties(support.WStringLocaleComma PROPERTIES
    LABELS support
    ENVIRONMENT "LC_ALL=de_DE.UTF-8;QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${GV_TEST_CONFIG};XDG_DATA_HOME=${GV_TEST_CONFIG}/data;${GV_TEST_SANITIZER_ENV}"
    SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
