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

# Puts one folder of Sources/ on the include path of `target` and of everything that links it,
# as "<layer>/..." and nothing beside it: the include root is a folder of the build tree that
# holds only a link to that layer. A target so sees the layers it links and no other; the
# layering test (Tests/Layers) checks the edges between them.
function(lumivane_include_root target layer)
  set(root ${PROJECT_BINARY_DIR}/include-roots/${layer})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/Sources/${layer} ${root}/${layer} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${root})
endfunction()
