# SPDX-License-Identifier: MIT
# The Windows parts, cross-built with mingw-w64 where its compilers are
# installed: Brenvik's starters for Windows converters under Wine (one for
# 64-bit and one for 32-bit converters), which land beside brenvik and are
# installed with it, and for the Wine test the Windows stand-ins (in
# windows-x86_64/bin and windows-i686/bin).
option(BRENVIK_WINDOWS_PARTS "Cross-build the Windows starters and stand-ins where mingw-w64 is installed" ON)
set(BRENVIK_WINDOWS_ARCHS "")
if(BRENVIK_WINDOWS_PARTS)
    include(ExternalProject)
    foreach(arch x86_64 i686)
        find_program(BRENVIK_MINGW_${arch} NAMES ${arch}-w64-mingw32-g++-posix ${arch}-w64-mingw32-g++)
        if(NOT BRENVIK_MINGW_${arch})
            message(STATUS "No ${arch} mingw-w64 cross compiler: Brenvik cannot start"
                           " ${arch} Windows converters through Wine")
            continue()
        endif()
        if(arch STREQUAL "i686")
            set(bits 32)
        else()
            set(bits 64)
        endif()
        ExternalProject_Add(brenvik_windows_${arch}
            SOURCE_DIR ${PROJECT_SOURCE_DIR}/windows
            BINARY_DIR ${CMAKE_BINARY_DIR}/windows-${arch}
            CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-${arch}.cmake
                       -DCMAKE_BUILD_TYPE=Release
                       -DBRENVIK_STARTER_DIR=${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
            BUILD_ALWAYS ON
            BUILD_BYPRODUCTS ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/brenvik-winstart${bits}.exe
            INSTALL_COMMAND "")
        install(PROGRAMS ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/brenvik-winstart${bits}.exe
                DESTINATION ${BRENVIK_INSTALL_DIR})
        # Stripped where the Linux programs are (a stripping install, the
        # package), by the cross binutils that read Windows programs.
        find_program(BRENVIK_MINGW_STRIP_${arch} NAMES ${arch}-w64-mingw32-strip REQUIRED)
        if(IS_ABSOLUTE "${BRENVIK_INSTALL_DIR}")
            set(starter "${BRENVIK_INSTALL_DIR}/brenvik-winstart${bits}.exe")
        else()
            set(starter "\${CMAKE_INSTALL_PREFIX}/${BRENVIK_INSTALL_DIR}/brenvik-winstart${bits}.exe")
        endif()
        install(CODE "
            if(CMAKE_INSTALL_DO_STRIP)
                execute_process(COMMAND \"${BRENVIK_MINGW_STRIP_${arch}}\" --strip-all
                    \"\$ENV{DESTDIR}${starter}\" COMMAND_ERROR_IS_FATAL ANY)
            endif()
        ")
        list(APPEND BRENVIK_WINDOWS_ARCHS ${arch})
    endforeach()
endif()
