# The game reads its data relative to the working directory. Link the source tree's data folders into the
# build directory so that `cd build && ./tarnwick` works without copying by hand. tarnwick.cfg is copied
# once instead: it is the build's own to edit, and an edit must not change the checkout's default.
# Included by the project, or run as a script: cmake -DSOURCE=... -DBINARY=... -P tarnwick_data.cmake
if(NOT DEFINED SOURCE)
    set(SOURCE ${CMAKE_SOURCE_DIR})
    set(BINARY ${CMAKE_BINARY_DIR})
endif()
foreach(item shaders textures meshes)
    if(NOT EXISTS ${BINARY}/${item})
        file(CREATE_LINK ${SOURCE}/${item} ${BINARY}/${item} SYMBOLIC)
    endif()
endforeach()
# Earlier builds linked the configuration; such a link gives way to a copy.
if(IS_SYMLINK ${BINARY}/tarnwick.cfg)
    file(REMOVE ${BINARY}/tarnwick.cfg)
endif()
if(NOT EXISTS ${BINARY}/tarnwick.cfg)
    file(COPY ${SOURCE}/tarnwick.cfg DESTINATION ${BINARY})
endif()
