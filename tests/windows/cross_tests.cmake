# The Windows build's tests, run under Wine through the cross-compiling emulator: the archive suite, which
# needs no window, on GoogleTest built from the system's source package. The window, picture and sound are
# checked end to end by run_wine_e2e.sh.
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
