# Runs a generator into a scratch folder and compares what it wrote with the committed files,
# byte for byte. Used by the regeneration tests of every asset generator:
#   cmake -DGENERATOR=exe -DOUTPUT_DIR=scratch -DCOMMITTED_DIR=data -DFILES=a,b -P Regenerate.cmake
# (run from the repository root).
string(REPLACE "," ";" FILES "${FILES}")
file(REMOVE_RECURSE ${OUTPUT_DIR})
file(MAKE_DIRECTORY ${OUTPUT_DIR})
execute_process(COMMAND ${GENERATOR} ${OUTPUT_DIR} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${GENERATOR} failed: ${result}")
endif()
set(differing "")
foreach(name ${FILES})
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files
                            ${OUTPUT_DIR}/${name} ${COMMITTED_DIR}/${name}
                    RESULT_VARIABLE same)
    if(NOT same EQUAL 0)
        list(APPEND differing ${name})
    endif()
endforeach()
if(differing)
    message(FATAL_ERROR "regenerated files differ from ${COMMITTED_DIR}/: ${differing}; "
                        "rebuild the generator's target to rewrite them")
endif()
message(STATUS "regenerated and identical: ${FILES}")
