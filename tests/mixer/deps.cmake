list(APPEND OSTRIVO_TEST_DEPS ostrivo_amixer)
