# Settings shared by every target of our own: the language level and warnings as errors.
function(lumivane_target target)
  target_compile_features(${target} PUBLIC cxx_std_20)
  set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
  if(LUMIVANE_SANITIZE)
    target_compile_options(${target} PUBLIC -fsanitize=address,undefined -fno-omit-frame-pointer
                                            -fno-sanitize-recover=undefined)
    target_link_options(${target} PUBLIC -fsanitize=address,undefined)
  endif()
endfunction()

# Puts the calling folder on the include path of `target` and of everything that links it, as
# "<name>/..." and nothing beside it: the include root is a folder of the build tree that holds
# only a link to the calling folder. A target so sees the layers it links and no other; the
# layering test (Tests/Layers) checks the edges between them. `name` may have more than one part
# ("Shell/macOS").
function(lumivane_include_root target name)
  string(REPLACE "/" "-" root_name ${name})
  set(root ${PROJECT_BINARY_DIR}/include-roots/${root_name})
  get_filename_component(link_folder ${root}/${name} DIRECTORY)
  file(MAKE_DIRECTORY ${link_folder})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${name} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${root})
endfunction()
