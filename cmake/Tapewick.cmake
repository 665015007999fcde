# Build helpers shared by every folder: one static library per source folder,
# one GoogleTest executable per test folder.
include_guard(GLOBAL)
include(GoogleTest)

# Source folders from the bottom layer up; a folder links only to folders listed before it.
# tests/ mirrors the same folders.
set(TAPEWICK_FOLDERS
  platform/events
  platform/userdefaults
  platform/audio
  platform/hotkeys
  platform/automation
  platform/crashreport
  platform/desktop
  kit/collections
  kit/foundation
  preferences
  kit/services
  kit/ui
  shortcuts
  recording
  app
)

# Adds each of the given folders below the calling one that has been started (has a CMakeLists.txt).
function(tapewick_add_folders)
  foreach(folder IN LISTS ARGN)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/CMakeLists.txt)
      add_subdirectory(${folder})
    endif()
  endforeach()
endfunction()

function(tapewick_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(TAPEWICK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(TAPEWICK_SANITIZE_THREAD)
    target_compile_options(${target} PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(${target} PUBLIC -fsanitize=thread)
  endif()
endfunction()

# tapewick_library(<target> [LINK <libs>...])
# Builds every .cpp/.h in the calling folder into a static library; includes are
# written from src/ ("platform/events/Subject.h").
function(tapewick_library target)
  cmake_parse_arguments(ARG "" "" "LINK" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${target} PUBLIC ${ARG_LINK})
  tapewick_warnings(${target})
endfunction()

# tapewick_test(<name> [DESKTOP] [LINK <libs>...])
# Builds every .cpp in the calling folder into one GoogleTest executable and
# registers each test case with CTest. DESKTOP tests run inside the private test
# desktop (X server, session bus, sound server) started by the `desktop` fixture.
function(tapewick_test name)
  cmake_parse_arguments(ARG "DESKTOP" "" "LINK" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_LINK} tapewick_test_support)
  tapewick_warnings(${name})
  if(ARG_DESKTOP)
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR
      "${PROJECT_SOURCE_DIR}/scripts/in-test-desktop;${TAPEWICK_TEST_DESKTOP_DIR}")
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
      PROPERTIES LABELS desktop FIXTURES_REQUIRED desktop RESOURCE_LOCK desktop TIMEOUT 300)
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
      PROPERTIES LABELS unit TIMEOUT 300)
  endif()
endfunction()
