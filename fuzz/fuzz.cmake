# Fuzz targets: one file per reader under fuzz/targets, each defining LLVMFuzzerTestOneInput.
#   MORVANE_FUZZ=ON (clang): fuzz_<name>, a libFuzzer program (see docs/fuzzing.md).
#   Tests (any compiler):    fuzz_replay_<name> runs the target over fuzz/corpus/<name> and
#                            fuzz/regressions/<name>; ctest "fuzz.<name>" (label unit).
# Targets link the GL-free core; those named here read through render code that makes no GL call
# when asked not to (the glTF model without upload, the point-cloud and depth-image readers) and
# link render. Those in MORVANE_FUZZ_GL_TARGETS open a hidden window and read the data archive:
# their replay runs from the repository root under the virtual display (label gl).
set(MORVANE_FUZZ_GL_TARGETS seq_play)
set(MORVANE_FUZZ_RENDER_TARGETS gltf asteroid_input pointcloud depth_image svg_scene progress_table boot_text
    circuit_path ${MORVANE_FUZZ_GL_TARGETS})
file(GLOB MORVANE_FUZZ_TARGETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/targets/*.cpp)
foreach(src ${MORVANE_FUZZ_TARGETS})
  get_filename_component(name ${src} NAME_WE)
  set(lib morvane_core)
  if(name IN_LIST MORVANE_FUZZ_RENDER_TARGETS)
    set(lib morvane_render)
  endif()
  if(MORVANE_FUZZ)
    add_executable(fuzz_${name} ${src})
    target_include_directories(fuzz_${name} PRIVATE ${CMAKE_SOURCE_DIR}/fuzz)
    target_compile_options(fuzz_${name} PRIVATE ${MORVANE_WARNINGS})
    target_link_libraries(fuzz_${name} PRIVATE ${lib})
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  endif()
  if(BUILD_TESTING)
    add_executable(fuzz_replay_${name} ${src} ${CMAKE_SOURCE_DIR}/fuzz/replay_main.cpp)
    target_include_directories(fuzz_replay_${name} PRIVATE ${CMAKE_SOURCE_DIR}/fuzz)
    target_compile_options(fuzz_replay_${name} PRIVATE ${MORVANE_WARNINGS})
    target_link_libraries(fuzz_replay_${name} PRIVATE ${lib})
    set(inputs)
    foreach(dir corpus regressions)
      if(EXISTS ${CMAKE_SOURCE_DIR}/fuzz/${dir}/${name})
        list(APPEND inputs ${CMAKE_SOURCE_DIR}/fuzz/${dir}/${name})
      endif()
    endforeach()
    if(name IN_LIST MORVANE_FUZZ_GL_TARGETS)
      add_test(NAME fuzz.${name} COMMAND fuzz_replay_${name} ${inputs} WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
      # Minutes under the sanitizers (155-282 s seen at -j8 on eight cores): room for a slower machine.
      set_tests_properties(fuzz.${name} PROPERTIES LABELS gl TIMEOUT 900)
    else()
      add_test(NAME fuzz.${name} COMMAND fuzz_replay_${name} ${inputs} WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
      set_tests_properties(fuzz.${name} PROPERTIES LABELS unit TIMEOUT 120)
    endif()
  endif()
endforeach()
