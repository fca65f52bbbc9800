# The layers of ksv940 as build targets.
#
# ksv940_layer() makes one library per layer from an explicit list of files and links it with the
# layers it may use. Two checks keep the arrows pointing downward:
# - every include between the project's files must stay inside the layer or go to a layer below it
#   (check_layers, run as part of every build);
# - every layer must link on its own against the layers it names (layercheck_<layer>), so code
#   that calls into a layer above it fails to link instead of being rescued by the final program.

# Platform variants are whole files: Posix*.cpp on Linux, Win32*.cpp on Windows.
function(ksv940_select_platform out_var)
  set(kept)
  foreach(file ${ARGN})
    get_filename_component(name ${file} NAME)
    if(WIN32 AND name MATCHES "^Posix")
      continue()
    endif()
    if(NOT WIN32 AND name MATCHES "^Win32")
      continue()
    endif()
    list(APPEND kept ${file})
  endforeach()
  set(${out_var} ${kept} PARENT_SCOPE)
endfunction()

# ksv940_layer(NAME DIR folder SOURCES files... [DEPENDS targets...])
# Files are relative to DIR; headers are listed too, so the include check knows their layer.
function(ksv940_layer name)
  cmake_parse_arguments(ARG "" "DIR" "SOURCES;DEPENDS" ${ARGN})
  set(files)
  foreach(file ${ARG_SOURCES})
    list(APPEND files ${PROJECT_SOURCE_DIR}/${ARG_DIR}/${file})
  endforeach()
  ksv940_select_platform(files ${files})
  set(compiled ${files})
  list(FILTER compiled INCLUDE REGEX "\\.cpp$")
  if(compiled)
    add_library(${name} STATIC ${files})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
    # The component's numbers are 16- and 32-bit by contract: no conversion may narrow silently.
    target_compile_options(${name} PRIVATE -Wconversion -Wsign-conversion)
  else()
    add_library(${name} INTERFACE ${files})
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
  endif()
  set(layer_deps)
  foreach(dep ${ARG_DEPENDS})
    get_property(known GLOBAL PROPERTY KSV940_LAYERS)
    if(dep IN_LIST known)
      list(APPEND layer_deps ${dep})
    endif()
  endforeach()
  set_property(GLOBAL APPEND PROPERTY KSV940_LAYERS ${name})
  set_property(GLOBAL PROPERTY KSV940_LAYER_FILES_${name} ${files})
  set_property(GLOBAL PROPERTY KSV940_LAYER_DEPS_${name} ${layer_deps})
  set_property(GLOBAL PROPERTY KSV940_LAYER_COMPILED_${name} ${compiled})
endfunction()

# Counts a file outside the layers' lists (a program's main) as a user of layer.
function(ksv940_check_layers file layer)
  set_property(GLOBAL APPEND PROPERTY KSV940_LAYER_USERS "${PROJECT_SOURCE_DIR}/${file}=${layer}")
endfunction()

# The layers a layer may use: those it names and everything below them.
function(ksv940_layer_closure name out_var)
  set(result)
  set(pending ${name})
  while(pending)
    list(POP_FRONT pending current)
    get_property(deps GLOBAL PROPERTY KSV940_LAYER_DEPS_${current})
    foreach(dep ${deps})
      if(NOT dep IN_LIST result)
        list(APPEND result ${dep})
        list(APPEND pending ${dep})
      endif()
    endforeach()
  endwhile()
  set(${out_var} ${result} PARENT_SCOPE)
endfunction()

# Writes the manifest the include check reads and adds both checks to the build.
function(ksv940_finish_layers)
  get_property(layers GLOBAL PROPERTY KSV940_LAYERS)
  set(manifest "")
  set(all_files)
  foreach(layer ${layers})
    get_property(files GLOBAL PROPERTY KSV940_LAYER_FILES_${layer})
    ksv940_layer_closure(${layer} allowed)
    string(REPLACE ";" "," allowed_text "${allowed}")
    string(APPEND manifest "layer ${layer} ${allowed_text}\n")
    foreach(file ${files})
      string(APPEND manifest "file ${file} ${layer}\n")
      list(APPEND all_files ${file})
    endforeach()

    # The link check: the layer's whole archive and the layers it names, nothing else.
    get_property(compiled GLOBAL PROPERTY KSV940_LAYER_COMPILED_${layer})
    if(compiled AND NOT WIN32)
      set(stub ${CMAKE_BINARY_DIR}/layercheck/${layer}.cpp)
      file(WRITE ${stub} "int main() { return 0; }\n")
      add_executable(layercheck_${layer} ${stub})
      get_property(deps GLOBAL PROPERTY KSV940_LAYER_DEPS_${layer})
      target_link_libraries(layercheck_${layer} PRIVATE
                            -Wl,--whole-archive ${layer} -Wl,--no-whole-archive ${layer})
    endif()
  endforeach()
  get_property(users GLOBAL PROPERTY KSV940_LAYER_USERS)
  foreach(user ${users})
    string(REPLACE "=" ";" pair ${user})
    list(GET pair 0 file)
    list(GET pair 1 layer)
    ksv940_layer_closure(${layer} allowed)
    list(APPEND allowed ${layer})
    string(REPLACE ";" "," allowed_text "${allowed}")
    string(APPEND manifest "layer user:${file} ${allowed_text}\n")
    string(APPEND manifest "file ${file} user:${file}\n")
    list(APPEND all_files ${file})
  endforeach()
  set(manifest_file ${CMAKE_BINARY_DIR}/layers.manifest)
  file(WRITE ${manifest_file} "${manifest}")
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/layers.checked
    COMMAND ${CMAKE_COMMAND} -DMANIFEST=${manifest_file} -DSOURCE_ROOT=${PROJECT_SOURCE_DIR}/src
            -DSTAMP=${CMAKE_BINARY_DIR}/layers.checked -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
    DEPENDS ${all_files} ${manifest_file} ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
    COMMENT "Checking that includes between layers point downward"
    VERBATIM)
  add_custom_target(check_layers ALL DEPENDS ${CMAKE_BINARY_DIR}/layers.checked)
endfunction()
