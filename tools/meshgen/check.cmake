# Regenerates the meshes into the build tree and fails if they differ from the committed ones.
# Called with GENERATOR, OUTPUT (a scratch folder) and SOURCE (the src folder).
file(MAKE_DIRECTORY ${OUTPUT})
execute_process(COMMAND ${GENERATOR} ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "zokk_meshgen failed (${status})")
endif()
foreach(name RandomMesh.inc WordMeshes.inc)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT}/${name} ${SOURCE}/${name}
                    RESULT_VARIABLE differs)
    if(differs)
        message(FATAL_ERROR "src/${name} differs from what tools/meshgen makes now; "
                            "rebuild the target meshes to regenerate it")
    endif()
    message(STATUS "src/${name} is up to date")
endforeach()
