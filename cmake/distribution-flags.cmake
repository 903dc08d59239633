# A distribution's build: Debian's compiler and linker flags, with every
# hardening feature (stack protector, _FORTIFY_SOURCE, read-only relocations
# bound at start, PIE), and build paths mapped out of the binary. Taken from
# dpkg-buildflags where it is present, the same set by hand where it is not.
# A cross build asks for the target's flags: the build machine's may not
# exist there (amd64's -fcf-protection on arm64).
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(DPKG_BUILDFLAGS)
    set(host_architecture)
    if(ZENTORIX_DEBIAN_ARCH)
        set(host_architecture DEB_HOST_ARCH=${ZENTORIX_DEBIAN_ARCH})
    endif()
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${host_architecture}
                ${DPKG_BUILDFLAGS} --get ${kind}
            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}  # what -ffile-prefix-map maps to "."
            OUTPUT_VARIABLE distribution_${kind} OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
else()
    set(distribution_CPPFLAGS "-D_FORTIFY_SOURCE=2")
    set(distribution_CXXFLAGS
        "-O2 -ffile-prefix-map=${PROJECT_SOURCE_DIR}=. -fstack-protector-strong -Wformat -Werror=format-security")
    set(distribution_LDFLAGS "-Wl,-z,relro -Wl,-z,now")
endif()
# The build folder's own paths (generated sources) are mapped too, and the
# compiler's name and version are not written into the binary (.comment).
string(APPEND CMAKE_CXX_FLAGS
    " ${distribution_CPPFLAGS} ${distribution_CXXFLAGS} -ffile-prefix-map=${CMAKE_BINARY_DIR}=build -fno-ident")
string(APPEND CMAKE_EXE_LINKER_FLAGS " ${distribution_LDFLAGS}")
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
