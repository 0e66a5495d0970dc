# Helpers for what every installed binary needs: a run path that finds the library from any
# prefix, and on Windows a version resource.

# Sets the install run path of `target`, which is installed in `dir` (relative to the prefix),
# to the library folder as seen from `dir`, so that the installed binary finds libenc_dv in any
# prefix without LD_LIBRARY_PATH. Left out where the library folder is one the loader searches
# anyway (a system prefix such as /usr, as Debian's packages use).
function(enc_dv_install_rpath target dir)
    if(WIN32)
        return()
    endif()
    list(FIND CMAKE_PLATFORM_IMPLICIT_LINK_DIRECTORIES "${CMAKE_INSTALL_FULL_LIBDIR}" system)
    if(system GREATER -1)
        return()
    endif()
    file(RELATIVE_PATH up "/prefix/${dir}" "/prefix/${CMAKE_INSTALL_LIBDIR}")
    string(REGEX REPLACE "/$" "" up "${up}")
    if(APPLE)
        set(origin "@loader_path")
    else()
        set(origin "$ORIGIN")
    endif()
    if(up STREQUAL "")
        set_target_properties(${target} PROPERTIES INSTALL_RPATH "${origin}")
    else()
        set_target_properties(${target} PROPERTIES INSTALL_RPATH "${origin}/${up}")
    endif()
endfunction()

# Gives the Windows binary `target` a version resource: the project's version, `description`
# and the file's name, as Explorer's Details tab and installers read them. The resource is
# compiled to an object with the toolchain's resource compiler (windres), so that no compile
# option of the target's C or C++ sources reaches it.
function(enc_dv_version_resource target description)
    if(NOT WIN32 OR NOT CMAKE_RC_COMPILER)
        return()
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        set(ENC_DV_RC_FILETYPE "VFT_APP")
        set(ENC_DV_RC_FILENAME "${target}.exe")
    else()
        set(ENC_DV_RC_FILETYPE "VFT_DLL")
        set(ENC_DV_RC_FILENAME "${target}.dll")
    endif()
    set(ENC_DV_RC_DESCRIPTION "${description}")
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
    set(object ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.res.obj)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
    add_custom_command(OUTPUT ${object}
        COMMAND ${CMAKE_RC_COMPILER} -O coff -i ${rc} -o ${object}
        DEPENDS ${rc} ${PROJECT_SOURCE_DIR}/cmake/version.rc.in
        COMMENT "Compiling the version resource of ${ENC_DV_RC_FILENAME}")
    set_source_files_properties(${object} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
    target_sources(${target} PRIVATE ${object})
endfunction()
