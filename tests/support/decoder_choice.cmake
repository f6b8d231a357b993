# Registers a decoder suite twice: on the system's decoders (liblzma, libvorbisfile) and, with the suffix
# ".alternative", on the LZMA SDK decoder and stb_vorbis, as the Windows build uses them.
function(tomblora_decoder_suite target)
  target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support/decoder_choice.cpp)
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 30 ${ARGN})
  if(NOT WIN32)
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 30 TEST_SUFFIX .alternative
                         PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=dummy;TOMBLORA_TEST_DECODERS=alternative")
  endif()
endfunction()
