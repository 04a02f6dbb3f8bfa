# A fresh install: files a former version installed must not make a check pass.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install ${BUILD} --prefix ${PREFIX} failed: ${result}")
endif()
