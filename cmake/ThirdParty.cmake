# Third-party libraries as imported targets, the same names in both builds:
#
#   vek::zlib      vek::png      vek::sqlite3
#   vek::avutil    vek::avcodec  vek::swscale    (FFmpeg: decoders only on Windows)
#
# Natively they are Debian's packages. For Windows they come from the cache that
# scripts/setup-thirdparty fills (VEK_THIRDPARTY_DIR, default
# $VEK_CACHE or ~/.cache/vek-thirdparty), one folder per library and version as
# pinned in cmake/thirdparty-versions.txt, all static; zlib is Debian's MinGW
# build (libz-mingw-w64-dev), taken as libz.a so that no zlib1.dll is needed.

if(VEK_IS_WINDOWS)
  if(DEFINED ENV{VEK_CACHE})
    set(_vek_tp_default "$ENV{VEK_CACHE}")
  else()
    set(_vek_tp_default "$ENV{HOME}/.cache/vek-thirdparty")
  endif()
  set(VEK_THIRDPARTY_DIR "${_vek_tp_default}" CACHE PATH
      "Cache of the Windows third-party libraries (scripts/setup-thirdparty)")

  set(_vek_tp_versions "${PROJECT_SOURCE_DIR}/cmake/thirdparty-versions.txt")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${_vek_tp_versions}")
  file(STRINGS "${_vek_tp_versions}" _vek_tp_lines REGEX "^[a-z]")
  foreach(_line IN LISTS _vek_tp_lines)
    string(REGEX REPLACE "[ \t]+" ";" _fields "${_line}")
    list(GET _fields 0 _name)
    list(GET _fields 2 _version)
    list(GET _fields 3 _recipe)
    string(REGEX REPLACE "^[0-9]+:" "" _version "${_version}")  # no epoch in folder names
    set(_dir "${VEK_THIRDPARTY_DIR}/${_name}-${_version}-r${_recipe}")
    if(NOT IS_DIRECTORY "${_dir}")
      message(FATAL_ERROR "Windows third-party library '${_name}' is not built: ${_dir} is missing.\n"
                          "Run scripts/setup-thirdparty (or scripts/setup), or set VEK_THIRDPARTY_DIR.")
    endif()
    set(VEK_TP_${_name}_DIR "${_dir}")
  endforeach()

  # _vek_static_import(<target> <library file> <include dir> [link items...])
  function(_vek_static_import target file include)
    if(NOT EXISTS "${file}")
      message(FATAL_ERROR "${file} is missing; rebuild it with scripts/setup-thirdparty --rebuild")
    endif()
    add_library(${target} STATIC IMPORTED GLOBAL)
    set_target_properties(${target} PROPERTIES
      IMPORTED_LOCATION "${file}"
      INTERFACE_INCLUDE_DIRECTORIES "${include}"
      INTERFACE_LINK_LIBRARIES "${ARGN}")
  endfunction()

  set(_mingw /usr/x86_64-w64-mingw32)
  _vek_static_import(vek::zlib ${_mingw}/lib/libz.a ${_mingw}/include)
  _vek_static_import(vek::png ${VEK_TP_png_DIR}/lib/libpng16.a ${VEK_TP_png_DIR}/include vek::zlib)
  _vek_static_import(vek::sqlite3 ${VEK_TP_sqlite3_DIR}/lib/libsqlite3.a ${VEK_TP_sqlite3_DIR}/include)
  set(_ff ${VEK_TP_ffmpeg_DIR})
  _vek_static_import(vek::avutil ${_ff}/lib/libavutil.a ${_ff}/include user32 bcrypt atomic)
  _vek_static_import(vek::avcodec ${_ff}/lib/libavcodec.a ${_ff}/include vek::avutil ole32 user32 atomic)
  _vek_static_import(vek::swscale ${_ff}/lib/libswscale.a ${_ff}/include vek::avutil atomic)
else()
  find_package(ZLIB REQUIRED)
  find_package(PNG REQUIRED)
  find_package(SQLite3 REQUIRED)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(VEK_AVUTIL REQUIRED IMPORTED_TARGET GLOBAL libavutil)
  pkg_check_modules(VEK_AVCODEC REQUIRED IMPORTED_TARGET GLOBAL libavcodec)
  pkg_check_modules(VEK_SWSCALE REQUIRED IMPORTED_TARGET GLOBAL libswscale)

  foreach(_pair zlib=ZLIB::ZLIB png=PNG::PNG sqlite3=SQLite::SQLite3 avutil=PkgConfig::VEK_AVUTIL
                avcodec=PkgConfig::VEK_AVCODEC swscale=PkgConfig::VEK_SWSCALE)
    string(REPLACE "=" ";" _pair "${_pair}")
    list(GET _pair 0 _name)
    list(GET _pair 1 _target)
    add_library(vek::${_name} INTERFACE IMPORTED GLOBAL)
    set_target_properties(vek::${_name} PROPERTIES INTERFACE_LINK_LIBRARIES "${_target}")
  endforeach()
  set_property(TARGET vek::avcodec APPEND PROPERTY INTERFACE_LINK_LIBRARIES vek::avutil)
  set_property(TARGET vek::swscale APPEND PROPERTY INTERFACE_LINK_LIBRARIES vek::avutil)
endif()
