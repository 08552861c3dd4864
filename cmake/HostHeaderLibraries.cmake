# The header-only libraries the terminal front end uses (CLI11, nlohmann-json), taken from the build
# machine's Debian packages for the cross-build: only their own folders are put on the include path, never
# the host's /usr/include as a whole.
set(VANTRELIX_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${VANTRELIX_HOST_HEADERS})
foreach(folder CLI nlohmann)
    if(NOT EXISTS /usr/include/${folder})
        message(FATAL_ERROR "/usr/include/${folder} is missing: install libcli11-dev and nlohmann-json3-dev")
    endif()
    if(NOT EXISTS ${VANTRELIX_HOST_HEADERS}/${folder})
        file(CREATE_LINK /usr/include/${folder} ${VANTRELIX_HOST_HEADERS}/${folder} SYMBOLIC)
    endif()
endforeach()
add_library(CLI11::CLI11 INTERFACE IMPORTED)
target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${VANTRELIX_HOST_HEADERS})
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${VANTRELIX_HOST_HEADERS})
