# Sanitizer builds only: every program that links the platform layer (and so may load a GL driver) keeps
# its shared libraries loaded until exit and reads the leak suppressions (see sanitizer_runtime.cpp).
add_library(tomblora_sanitizer_runtime STATIC ${CMAKE_SOURCE_DIR}/tests/sanitizers/sanitizer_runtime.cpp)
target_compile_definitions(tomblora_sanitizer_runtime
                           PRIVATE TOMBLORA_LSAN_SUPPRESSIONS="${CMAKE_SOURCE_DIR}/tests/sanitizers/lsan.supp")
target_link_libraries(tomblora_sanitizer_runtime PUBLIC ${CMAKE_DL_LIBS})
target_link_libraries(tomblora_platform PUBLIC "$<LINK_LIBRARY:WHOLE_ARCHIVE,tomblora_sanitizer_runtime>")
