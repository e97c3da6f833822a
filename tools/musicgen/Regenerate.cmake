# Runs a generator into a scratch directory and compares what it wrote with the committed
# files in data/, byte for byte. Used by the regeneration tests of the asset generators:
#   cmake -DGENERATOR=exe -DOUTPUT_DIR=dir -DFILES=a,b -P Regenerate.cmake
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
                            ${OUTPUT_DIR}/${name} data/${name}
                    RESULT_VARIABLE same)
    if(NOT same EQUAL 0)
        list(APPEND differing ${name})
    endif()
endforeach()
if(differing)
    message(FATAL_ERROR "regenerated files differ from data/: ${differing}")
endif()
message(STATUS "regenerated and identical: ${FILES}")
