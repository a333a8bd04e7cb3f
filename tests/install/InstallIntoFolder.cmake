# cmake -DROOT=<folder> -DBUILD=<build folder> -P InstallIntoFolder.cmake: a fresh install of
# the build below ROOT, so nothing of an earlier run is taken for part of it.
file(REMOVE_RECURSE ${ROOT})
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${ROOT}
                        ${CMAKE_COMMAND} --install ${BUILD} --prefix /usr
                COMMAND_ERROR_IS_FATAL ANY)
