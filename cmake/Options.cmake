# Compiler flags shared by every target of the project.
add_library(qv_options INTERFACE)
target_compile_options(qv_options INTERFACE -Wall -Wextra)
# The stricter set every build reports; the test build (sanitizers, Debug)
# refuses to build with any of them, so a warning never lands unseen.
set(QV_STRICT_WARNINGS -Wshadow -Wmissing-declarations -Wnon-virtual-dtor -Wsuggest-override
                       -Wimplicit-fallthrough -Wformat=2)
target_compile_options(qv_options INTERFACE $<$<COMPILE_LANGUAGE:CXX>:${QV_STRICT_WARNINGS}>)
# g++ 12 at -O2 reports impossible overlaps inside the standard library's own
# string concatenation (a known false alarm of that version); it says nothing
# about our code, so it is silenced there alone.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(qv_options INTERFACE -Wno-restrict)
endif()
target_include_directories(qv_options INTERFACE ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)

# QV_SANITIZE: OFF, ON or address (AddressSanitizer with UndefinedBehaviorSanitizer), or thread
# (ThreadSanitizer, for the thread tests' own build tree).
set(qv_sanitize_values OFF ON address thread)
if(NOT QV_SANITIZE IN_LIST qv_sanitize_values)
  message(FATAL_ERROR "QV_SANITIZE is '${QV_SANITIZE}'; it takes one of: ${qv_sanitize_values}")
endif()
if(QV_SANITIZE AND CMAKE_BUILD_TYPE STREQUAL "Debug")
  target_compile_options(qv_options INTERFACE -Werror)
endif()
if(QV_SANITIZE STREQUAL "thread")
  target_compile_options(qv_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(qv_options INTERFACE -fsanitize=thread)
elseif(QV_SANITIZE)
  target_compile_options(qv_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                              -fno-sanitize-recover=undefined)
  target_link_options(qv_options INTERFACE -fsanitize=address,undefined)
endif()

configure_file(${PROJECT_SOURCE_DIR}/cmake/Version.h.in ${PROJECT_BINARY_DIR}/generated/Version.h @ONLY)

# The ThreadSanitizer tree runs only the thread tests (tests/thread-tests.txt), so
# its test programs are built from only the files that define those suites; the
# target qv_thread_tests builds every program that has any.
if(QV_SANITIZE STREQUAL "thread")
  file(STRINGS ${PROJECT_SOURCE_DIR}/tests/thread-tests.txt qv_thread_lines REGEX "^[A-Za-z]")
  set(qv_thread_suites "")
  foreach(line IN LISTS qv_thread_lines)
    string(REGEX REPLACE "[.].*" "" suite "${line}")
    list(APPEND qv_thread_suites ${suite})
  endforeach()
  list(REMOVE_DUPLICATES qv_thread_suites)
  list(JOIN qv_thread_suites "|" qv_thread_suites)
  set(QV_THREAD_TEST_PATTERN "^TEST(_F|_P)?[(](${qv_thread_suites}),")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
               ${PROJECT_SOURCE_DIR}/tests/thread-tests.txt)
  add_custom_target(qv_thread_tests)
endif()

# In the ThreadSanitizer tree: the sources of a test program that hold thread
# tests (test files without any are dropped, other sources kept), or nothing.
function(qv_thread_test_sources out)
  set(kept "")
  set(any FALSE)
  foreach(src IN LISTS ARGN)
    if(NOT src MATCHES "Test[.]cpp$")
      list(APPEND kept ${src})
      continue()
    endif()
    get_filename_component(path ${src} ABSOLUTE)
    file(STRINGS ${path} hits REGEX "${QV_THREAD_TEST_PATTERN}")
    if(hits)
      list(APPEND kept ${src})
      set(any TRUE)
    endif()
  endforeach()
  if(NOT any)
    set(kept "")
  endif()
  set(${out} "${kept}" PARENT_SCOPE)
endfunction()

# Test files compiled on their own in a unity build: those that include Xlib
# (its macros break other files), also through a test header named X11*, and
# those whose file-local names clash with a neighbour's (a redefinition error
# in a Unity/unity_*.cxx unit: add the file here).
set(QV_UNITY_SEPARATE tests/platform/gdi/ArcPenTest.cpp tests/platform/backend/GalleryPagesTest.cpp
                      tests/classlib/stdctrls/ListBoxTest.cpp tests/storage/ValuesTest.cpp
                      tests/catalogue/DamageTest.cpp)
function(qv_unity_separate)
  foreach(src IN LISTS ARGN)
    get_filename_component(path ${src} ABSOLUTE)
    file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${path})
    file(STRINGS ${path} xlib REGEX "#include [<\"](X11/|tests/common/XvfbSupport[.]h|tests/common/X11|platform/backend/X11|tests/platform/backend/X11)")
    if(xlib OR relative IN_LIST QV_UNITY_SEPARATE)
      set_source_files_properties(${src} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
    endif()
  endforeach()
endfunction()

# qv_add_test(name SOURCES ... LIBS ... [HEAVY pattern ...]): one GoogleTest program, each case
# its own CTest test. HEAVY names the cases (GoogleTest filter patterns: Suite.Case, Suite.*) that
# hold a core and much memory for long, or race a limit of another program's: they share one
# lock, so that no two of them run side by side on a machine already busy with the others.
function(qv_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;HEAVY" ${ARGN})
  if(QV_SANITIZE STREQUAL "thread")
    qv_thread_test_sources(thread_sources ${T_SOURCES})
    if(thread_sources)
      set(T_SOURCES ${thread_sources})
      add_dependencies(qv_thread_tests ${name})
    endif()
  endif()
  add_executable(${name} ${T_SOURCES})
  # Test files share GoogleTest and most project headers: a few of them
  # compiled as one unit parse those once (QV_UNITY_TESTS=OFF to build them one by one).
  if(QV_UNITY_TESTS)
    set_target_properties(${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${QV_UNITY_BATCH})
    qv_unity_separate(${T_SOURCES})
  endif()
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main qv_options)
  if(NOT T_HEAVY)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
    return()
  endif()
  list(JOIN T_HEAVY ":" heavy)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_FILTER "-${heavy}" PROPERTIES TIMEOUT 300)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_FILTER "${heavy}" TEST_LIST ${name}_HEAVY
                       PROPERTIES TIMEOUT 300 RESOURCE_LOCK qv_heavy)
endfunction()

# qv_folder_library(name LIBS ...): a static library of every .cpp in the current folder.
function(qv_folder_library name)
  cmake_parse_arguments(L "" "" "LIBS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_link_libraries(${name} PUBLIC qv_options ${L_LIBS})
  else()
    # A folder whose first unit is still to come links as its dependencies.
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE qv_options ${L_LIBS})
  endif()
endfunction()

# qv_folder_tests(prefix LIBS ... [HEAVY ...]): one test program of every *Test.cpp in the current folder
# (one program per folder keeps link time and disc space down as the suite grows).
function(qv_folder_tests prefix)
  cmake_parse_arguments(T "" "" "LIBS;HEAVY" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Test.cpp)
  if(srcs)
    qv_add_test(${prefix}_tests SOURCES ${srcs} LIBS ${T_LIBS} HEAVY ${T_HEAVY})
  endif()
endfunction()
