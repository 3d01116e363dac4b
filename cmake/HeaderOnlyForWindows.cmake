# CLI11 and nlohmann-json for the Windows build: both are header-only, so the
# headers of Debian's packages serve the cross build too. Only their own
# folders are put on the include path (never /usr/include, whose C library
# headers are Linux's).
set(VX18D_HEADER_ONLY_DIR ${CMAKE_BINARY_DIR}/header-only)
file(MAKE_DIRECTORY ${VX18D_HEADER_ONLY_DIR})
foreach(folder CLI nlohmann)
    set(source /usr/include/${folder})
    if(NOT EXISTS ${source}/)
        message(FATAL_ERROR "${source} is missing: install libcli11-dev and nlohmann-json3-dev")
    endif()
    if(NOT EXISTS ${VX18D_HEADER_ONLY_DIR}/${folder})
        file(CREATE_LINK ${source} ${VX18D_HEADER_ONLY_DIR}/${folder} SYMBOLIC)
    endif()
endforeach()

add_library(CLI11::CLI11 INTERFACE IMPORTED)
target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${VX18D_HEADER_ONLY_DIR})
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${VX18D_HEADER_ONLY_DIR})
