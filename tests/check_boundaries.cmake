# Checks which code may use what: the core (core/), the command-line program's code (cli/) and the
# encoder (encoder/) include no QtGui or QtWidgets header, and the top folders include each other in
# one direction only: core <- gui <- app and core <- cli <- app, and the encoder stands alone.
# Inside the core the folders are layered too: prompts and catalogue use no other folder of the
# core, media only prompts, and conversion, settings and feedback sit above them.
# Usage: cmake -DSOURCE_DIR=<repository> -DQT_INCLUDE_DIR=<folder holding QtGui/ and QtWidgets/> -P check_boundaries.cmake
cmake_minimum_required(VERSION 3.22)

# The header names QtGui and QtWidgets provide ("QImage", "qpixmap.h", ...).
set(window_headers "")
foreach(module QtGui QtWidgets)
  file(GLOB headers RELATIVE "${QT_INCLUDE_DIR}/${module}" "${QT_INCLUDE_DIR}/${module}/*")
  list(APPEND window_headers ${headers})
endforeach()
if(NOT window_headers)
  message(FATAL_ERROR "no QtGui or QtWidgets headers found in '${QT_INCLUDE_DIR}'")
endif()

# For each top folder, the top folders its files may include from.
set(allowed_core core)
set(allowed_encoder encoder)
set(allowed_cli core cli)
set(allowed_gui core gui)
set(allowed_app core gui cli app)
set(allowed_fuzz core encoder fuzz)

# For each folder of the core, the folders of the core its files may include from.
set(core_allowed_prompts prompts)
set(core_allowed_catalogue catalogue)
set(core_allowed_media media prompts)
set(core_allowed_conversion conversion media prompts catalogue)
set(core_allowed_settings settings catalogue)
set(core_allowed_feedback feedback media)
set(core_folders prompts catalogue media conversion settings feedback)

set(problems "")
foreach(top core cli encoder gui app fuzz)
  file(GLOB_RECURSE sources "${SOURCE_DIR}/${top}/*.cpp" "${SOURCE_DIR}/${top}/*.h")
  foreach(source IN LISTS sources)
    file(RELATIVE_PATH name "${SOURCE_DIR}" "${source}")
    file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"].*" "\\1" header "${line}")
      # Window headers, named alone or with their module.
      string(REGEX REPLACE "^(QtGui|QtWidgets)/" "" bare "${header}")
      if((top STREQUAL "core" OR top STREQUAL "cli" OR top STREQUAL "encoder" OR top STREQUAL "fuzz")
         AND (bare IN_LIST window_headers OR header MATCHES "^(QtGui|QtWidgets)$"))
        list(APPEND problems "${name}: includes the window header <${header}>")
      endif()
      # Project headers are named from the repository's top: "core/media/file_info.h".
      if(header MATCHES "^(core|cli|gui|app|encoder|fuzz)/")
        string(REGEX REPLACE "/.*" "" target_top "${header}")
        if(NOT target_top IN_LIST allowed_${top})
          list(APPEND problems "${name}: includes \"${header}\" from ${target_top}/")
        endif()
      endif()
      # Inside the core: "core/media/file_info.h" from core/conversion/ is fine, the reverse is not.
      if(top STREQUAL "core" AND name MATCHES "^core/([a-z_]+)/" AND header MATCHES "^core/([a-z_]+)/")
        string(REGEX REPLACE "^core/([a-z_]+)/.*" "\\1" from_folder "${name}")
        string(REGEX REPLACE "^core/([a-z_]+)/.*" "\\1" to_folder "${header}")
        if(NOT from_folder IN_LIST core_folders)
          list(APPEND problems "${name}: a folder of the core that the layering does not name")
        elseif(NOT to_folder IN_LIST core_allowed_${from_folder})
          list(APPEND problems "${name}: includes \"${header}\" from core/${to_folder}/")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "code outside its boundary:\n  ${text}")
endif()
