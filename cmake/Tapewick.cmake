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
  kit/ui
  kit/services
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

# Every library shares one precompiled header and every test program another: GCC's are about
# 200 MB each, so one per target would cost more than it saves. GCC takes a precompiled header
# only where each definition it was made with is set alike, so the shared one links only what
# brings the definitions all its users have (LINK) and merely sees the other headers (SEE). The
# header is named with angle brackets, so the generated one holds no absolute path and the
# compiler cache shares it across clones.
function(tapewick_precompile target host header)
  if(NOT TAPEWICK_PRECOMPILED_HEADERS)
    return()
  endif()
  if(NOT TARGET ${host})
    cmake_parse_arguments(ARG "" "" "LINK;SEE" ${ARGN})
    set(empty ${PROJECT_BINARY_DIR}/${host}.cpp)
    file(CONFIGURE OUTPUT ${empty} CONTENT "")
    add_library(${host} STATIC ${empty})
    set_target_properties(${host} PROPERTIES AUTOMOC OFF)
    target_link_libraries(${host} PRIVATE ${ARG_LINK})
    target_include_directories(${host} PRIVATE ${PROJECT_SOURCE_DIR}/cmake)
    foreach(lib IN LISTS ARG_SEE)
      target_include_directories(${host} SYSTEM PRIVATE
        $<TARGET_PROPERTY:${lib},INTERFACE_INCLUDE_DIRECTORIES>)
    endforeach()
    target_precompile_headers(${host} PRIVATE <precompiled/${header}>)
    tapewick_warnings(${host})
  endif()
  target_precompile_headers(${target} REUSE_FROM ${host})
endfunction()

function(tapewick_warnings target)
  # -pthread everywhere, as GStreamer's and GoogleTest's users have it anyway, lets all targets share
  # one precompiled header.
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -pthread)
  if(TAPEWICK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(TAPEWICK_SANITIZE_THREAD)
    target_compile_options(${target} PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(${target} PUBLIC -fsanitize=thread)
  endif()
  if(TAPEWICK_SANITIZE_ADDRESS)
    # Conversions of out-of-range floating-point numbers are not part of "undefined" by default.
    set(sanitizers -fsanitize=address,undefined,float-cast-overflow)
    target_compile_options(${target} PRIVATE ${sanitizers} -fno-sanitize-recover=all
      -fno-omit-frame-pointer)
    target_link_options(${target} PUBLIC ${sanitizers})
  endif()
endfunction()

# The .cpp/.h files of the calling folder and of the given subfolders of it.
function(tapewick_glob_sources out)
  set(patterns)
  foreach(folder IN ITEMS . ${ARGN})
    list(APPEND patterns ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.h)
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS ${patterns})
  set(${out} ${sources} PARENT_SCOPE)
endfunction()

# tapewick_library(<target> [SUBFOLDERS <folders>...] [LINK <libs>...])
# Builds every .cpp/.h in the calling folder (and the given subfolders) into a static
# library; includes are written from src/ ("platform/events/Subject.h").
function(tapewick_library target)
  cmake_parse_arguments(ARG "" "" "LINK;SUBFOLDERS" ${ARGN})
  tapewick_glob_sources(sources ${ARG_SUBFOLDERS})
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${target} PUBLIC ${ARG_LINK})
  tapewick_warnings(${target})
  tapewick_precompile(${target} tapewick_library_pch Library.h
    LINK Qt6::Core QCoro6::Core SEE Qt6::Gui Qt6::Widgets)
endfunction()

# tapewick_test_helpers(<target> [FOLDER <folder>] [LINK <libs>...])
# Headers a test folder shares with other test folders: an interface library whose include
# directory is that folder (the calling one unless FOLDER names one below it). Tests that link it
# include the headers by name ("CaughtErrors.h"), never by a path relative to their own folder.
function(tapewick_test_helpers target)
  cmake_parse_arguments(ARG "" "FOLDER" "LINK" ${ARGN})
  set(folder ${CMAKE_CURRENT_SOURCE_DIR})
  if(ARG_FOLDER)
    set(folder ${folder}/${ARG_FOLDER})
  endif()
  add_library(${target} INTERFACE)
  target_include_directories(${target} INTERFACE ${folder})
  target_link_libraries(${target} INTERFACE ${ARG_LINK})
endfunction()

# tapewick_test_program_lists()
# Writes the test programs of each kind, one path a line, into test-programs/<kind>.txt in the
# build folder (unit, desktop, wayland-desktop); call it once every tapewick_test has run.
function(tapewick_test_program_lists)
  foreach(kind IN ITEMS unit desktop wayland-desktop)
    get_property(programs GLOBAL PROPERTY TAPEWICK_TEST_PROGRAMS_${kind})
    list(JOIN programs "\n" text)
    file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/test-programs/${kind}.txt CONTENT "${text}\n")
  endforeach()
endfunction()

# tapewick_test(<name> [DESKTOP | WAYLAND_DESKTOP] [SUBFOLDERS <folders>...] [LINK <libs>...])
# Builds every .cpp in the calling folder (and the given subfolders) into one GoogleTest executable and
# registers each test case with CTest. DESKTOP tests run inside the private test
# desktop (X server, session bus, sound server) started by the `desktop` fixture; WAYLAND_DESKTOP
# tests inside its Wayland form with a StatusNotifierItem tray (the `wayland-desktop` fixture).
# Both hold the one `desktop` lock, so desktop tests never compete with each other.
function(tapewick_test name)
  cmake_parse_arguments(ARG "DESKTOP;WAYLAND_DESKTOP" "" "LINK;SUBFOLDERS" ${ARGN})
  tapewick_glob_sources(sources ${ARG_SUBFOLDERS})
  add_executable(${name} ${sources})
  if(ARG_DESKTOP)
    set(kind desktop)
  elseif(ARG_WAYLAND_DESKTOP)
    set(kind wayland-desktop)
  else()
    set(kind unit)
  endif()
  if(kind STREQUAL unit)
    set(main tapewick_test_main_offscreen)
  else()
    set(main tapewick_test_main_desktop)
  endif()
  # Listed for scripts/test-shuffled, which runs each program whole (tapewick_test_program_lists).
  set_property(GLOBAL APPEND PROPERTY TAPEWICK_TEST_PROGRAMS_${kind} $<TARGET_FILE:${name}>)
  target_link_libraries(${name} PRIVATE ${ARG_LINK} tapewick_test_support ${main})
  tapewick_warnings(${name})
  tapewick_precompile(${name} tapewick_test_pch Test.h
    LINK Qt6::Core QCoro6::Core GTest::gmock SEE Qt6::Gui Qt6::Widgets)
  if(ARG_DESKTOP OR ARG_WAYLAND_DESKTOP)
    if(ARG_DESKTOP)
      set(fixture desktop)
      set(directory ${TAPEWICK_TEST_DESKTOP_DIR})
    else()
      set(fixture wayland-desktop)
      set(directory ${TAPEWICK_TEST_WAYLAND_DESKTOP_DIR})
    endif()
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR
      "${PROJECT_SOURCE_DIR}/scripts/in-test-desktop;${directory}")
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
      PROPERTIES LABELS desktop FIXTURES_REQUIRED ${fixture} RESOURCE_LOCK desktop TIMEOUT 300)
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
      PROPERTIES LABELS unit TIMEOUT 300)
  endif()
endfunction()
