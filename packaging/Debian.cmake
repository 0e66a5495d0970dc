# Debian packages from the build, with CPack's DEB generator, one per installed part:
#   libenc-dv0           runtime  libenc_dv.so.0 (named after its SONAME)
#   libenc-dv-dev        devel    enc_dv.h, libenc_dv.so and .a, pkg-config and CMake files
#   dvenc                tool     the command-line encoder and its manual page
#   gstreamer1.0-enc-dv  gst      the GStreamer element (when built)
# Configure with -DCMAKE_INSTALL_PREFIX=/usr -DENC_DV_DEBIAN=ON, build, then `cpack -G DEB`
# in the build directory. Dependencies on other packages come from the binaries
# (dpkg-shlibdeps); the packages of one build depend on each other at the same version.

set(ENC_DV_DEB_MAINTAINER "enc_dv maintainers <enc-dv@example.org>"
    CACHE STRING "The Maintainer field of the Debian packages")
set(ENC_DV_DEB_REVISION 1 CACHE STRING "The Debian revision of the packages")

set(ENC_DV_DEB_COMPONENTS runtime devel)
if(TARGET dvenc)
    list(APPEND ENC_DV_DEB_COMPONENTS tool)
endif()
if(TARGET gstencdv)
    list(APPEND ENC_DV_DEB_COMPONENTS gst)
endif()
set(ENC_DV_DEB_NAME_runtime libenc-dv0)
set(ENC_DV_DEB_NAME_devel libenc-dv-dev)
set(ENC_DV_DEB_NAME_tool dvenc)
set(ENC_DV_DEB_NAME_gst gstreamer1.0-enc-dv)

# Every package carries the copyright file and a Debian changelog in its documents folder.
if(ENC_DV_DEBIAN AND NOT WIN32)
    find_program(ENC_DV_GZIP gzip REQUIRED)
    string(TIMESTAMP ENC_DV_DEB_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
    set(changelog ${CMAKE_BINARY_DIR}/packaging/changelog.Debian)
    file(WRITE ${changelog} "enc-dv (${PROJECT_VERSION}-${ENC_DV_DEB_REVISION}) unstable; urgency=medium

  * Packages of enc_dv ${PROJECT_VERSION}, built from its sources with CPack. What this
    version brings: CHANGELOG.md in the sources.

 -- ${ENC_DV_DEB_MAINTAINER}  ${ENC_DV_DEB_DATE}
")
    execute_process(COMMAND ${ENC_DV_GZIP} -9nf ${changelog} RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "gzip of ${changelog} failed")
    endif()
    foreach(component IN LISTS ENC_DV_DEB_COMPONENTS)
        install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright ${changelog}.gz
                DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${ENC_DV_DEB_NAME_${component}}
                COMPONENT ${component})
    endforeach()
endif()

set(CPACK_PACKAGE_NAME enc-dv)
set(CPACK_PACKAGE_VENDOR "enc_dv")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${ENC_DV_DEB_MAINTAINER}")
# Each package's description below starts with its own summary line; none is put before it.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL ${ENC_DV_DEB_COMPONENTS})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${ENC_DV_DEB_REVISION})
set(CPACK_DEBIAN_PACKAGE_SOURCE enc-dv)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libenc_dv.so.0 is in this build, not yet in a package: dpkg-shlibdeps finds it here, and the
# packages' dependencies on each other come from the components below.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/enc_dv)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libenc-dv0)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# The loader's cache is brought up to date by libc's ldconfig trigger.
file(WRITE ${CMAKE_BINARY_DIR}/packaging/runtime/triggers "activate-noawait ldconfig\n")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/packaging/runtime/triggers)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "software encoder for standard-definition DV video
enc_dv encodes uncompressed 720-pixel pictures (packed and planar Y'CbCr, BGR)
into 25 Mbit/s DV frames (IEC 61834-2; SMPTE 314M on request), on up to 16
threads, with a best-quality mode and functions that add sound, a time code and
a recording date. This package holds the shared library.")

set(CPACK_DEBIAN_DEVEL_PACKAGE_NAME libenc-dv-dev)
set(CPACK_DEBIAN_DEVEL_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEVEL_DEPENDS runtime)
set(CPACK_COMPONENT_DEVEL_DESCRIPTION "software encoder for standard-definition DV video (development files)
enc_dv encodes uncompressed 720-pixel pictures into 25 Mbit/s DV frames. This
package holds what a program is built with: the header enc_dv.h, the shared
and static libraries to link, and the pkg-config and CMake package files
(find_package(enc_dv)).")

set(CPACK_DEBIAN_TOOL_PACKAGE_NAME dvenc)
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION video)
set(CPACK_COMPONENT_TOOL_DEPENDS runtime)
set(CPACK_COMPONENT_TOOL_DESCRIPTION "command-line encoder of video files into DV
dvenc encodes any video file that FFmpeg's libraries open, a YUV4MPEG2 stream
or raw frames into a raw DV stream (.dv), converting the picture, fields,
colour, frame rate and sound as DV needs them and keeping the time code and
recording date.")

set(CPACK_DEBIAN_GST_PACKAGE_NAME gstreamer1.0-enc-dv)
set(CPACK_DEBIAN_GST_PACKAGE_SECTION video)
set(CPACK_COMPONENT_GST_DEPENDS runtime)
set(CPACK_COMPONENT_GST_DESCRIPTION "GStreamer element dvenc, a DV video encoder
The GStreamer 1.x plugin encdv with its element dvenc, which encodes raw
720-pixel pictures into 25 Mbit/s DV frames with the enc_dv library, for
filesink, dvdemux and muxers such as avimux and qtmux.")

include(CPack)
