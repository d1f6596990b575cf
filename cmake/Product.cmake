# The suite's product file (apps/suite/lame.dll, an INI text file that the launcher reads
# beside itself) is the one place that names the product, its version and its company. The
# build takes them from there before project(), so the Debian package, the Windows
# installer, the executable's version resource and the About dialog of every build agree:
#   LB_PRODUCT_NAME, LB_PRODUCT_VERSION (digits and dots, 1 to 4 numbers), LB_PRODUCT_COMPANY
set(LB_PRODUCT_FILE ${CMAKE_CURRENT_LIST_DIR}/../apps/suite/lame.dll)
cmake_path(NORMAL_PATH LB_PRODUCT_FILE)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${LB_PRODUCT_FILE})
foreach(key Name Version Company)
  file(STRINGS ${LB_PRODUCT_FILE} line REGEX "^${key}=")
  list(LENGTH line count)
  if(NOT count EQUAL 1)
    message(FATAL_ERROR "${LB_PRODUCT_FILE} must hold exactly one ${key}= line (it holds ${count})")
  endif()
  string(REGEX REPLACE "^${key}=[ \t]*(.*[^ \t\r])?[ \t\r]*$" "\\1" value "${line}")
  string(TOUPPER ${key} upper)
  set(LB_PRODUCT_${upper} "${value}")
endforeach()
if(NOT LB_PRODUCT_VERSION MATCHES "^[0-9]+(\\.[0-9]+)?(\\.[0-9]+)?(\\.[0-9]+)?$")
  message(FATAL_ERROR "Version=${LB_PRODUCT_VERSION} in ${LB_PRODUCT_FILE}: a version is one to four numbers with dots between")
endif()
if(LB_PRODUCT_NAME STREQUAL "" OR LB_PRODUCT_COMPANY STREQUAL "")
  message(FATAL_ERROR "${LB_PRODUCT_FILE} names no product or no company")
endif()
