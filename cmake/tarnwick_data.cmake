# The game reads its data relative to the working directory. Link the source tree's data folders and
# configuration into the build directory so that `cd build && ./tarnwick` works without copying by hand.
foreach(item shaders textures meshes tarnwick.cfg)
    if(NOT EXISTS ${CMAKE_BINARY_DIR}/${item})
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${item} ${CMAKE_BINARY_DIR}/${item} SYMBOLIC)
    endif()
endforeach()
