# The Windows build's tests, run under Wine through the cross-compiling emulator: the archive suite and the
# sound decoder suite, which need no window or sound card, on GoogleTest built from the system's source
# package. The window and picture are checked end to end by run_wine_e2e.sh and run_wine_viewer.sh.
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_executable(test_archive ${CMAKE_SOURCE_DIR}/tests/archive/archive_test.cpp
                            ${CMAKE_SOURCE_DIR}/tests/archive/archive_faults_test.cpp)
target_link_libraries(test_archive PRIVATE tomblora_archive gtest_main tomblora_warnings)
# GCC 12 takes a std::string concatenation there for an overlapping copy (a known false positive).
target_compile_options(test_archive PRIVATE -Wno-restrict)
# Left out: the two death tests that name their temporary folder in the expected message (Windows runs a death
# test's body again in a new process, which makes a folder of its own).
add_test(NAME archive_under_wine COMMAND test_archive --gtest_filter=-ArchiveFaults.OpenEndsTheProgramAtTheFirstFault:ArchiveOpen.MissingFileShowsBothMessagesAndExits255)
set_tests_properties(archive_under_wine PROPERTIES TIMEOUT 300 ENVIRONMENT
                     "SDL_VIDEODRIVER=dummy;WINEDEBUG=-all;WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix")

# The sound decoder suite reads its tones from files that the Linux build's tomblora_write_test_tones
# encodes (there is no Vorbis encoder for Windows).
set(TOMBLORA_LINUX_BUILD ${CMAKE_SOURCE_DIR}/build CACHE PATH "The Linux build that encodes the test tones")
add_executable(test_sound_decoder ${CMAKE_SOURCE_DIR}/tests/reliability/sound_decoder_test.cpp
                                  ${CMAKE_CURRENT_LIST_DIR}/tone_files.cpp)
target_include_directories(test_sound_decoder PRIVATE ${CMAKE_SOURCE_DIR}/tests/app)
target_link_libraries(test_sound_decoder PRIVATE tomblora_platform gtest_main tomblora_warnings)
add_test(NAME sound_tones COMMAND ${TOMBLORA_LINUX_BUILD}/tomblora_write_test_tones ${CMAKE_BINARY_DIR}/tones)
set_tests_properties(sound_tones PROPERTIES FIXTURES_SETUP tones)
add_test(NAME sound_decoder_under_wine COMMAND test_sound_decoder)
set_tests_properties(sound_decoder_under_wine PROPERTIES FIXTURES_REQUIRED tones TIMEOUT 300 ENVIRONMENT
                     "WINEDEBUG=-all;WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix;TOMBLORA_TEST_TONES=${CMAKE_BINARY_DIR}/tones")
