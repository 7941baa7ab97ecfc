# The core and the command line never reach a widget: a rule the command line needs lives
# in the lowest tier that can hold it. rovana_check_no_widgets(target...) walks each
# target's link libraries, direct and transitive, and stops the configuration when one of
# them is Qt Widgets, Qt PrintSupport or a library of the user interface.
set(ROVANA_WIDGET_LIBRARIES
    Qt6::Widgets Qt6::PrintSupport rovana_waveview rovana_evaluation rovana_report
    rovana_reportsettings rovana_shell rovana_summarywindow)

function(rovana_check_no_widgets)
    foreach(root IN LISTS ARGN)
        set(seen "")
        set(queue ${root})
        while(queue)
            list(POP_FRONT queue t)
            if(t IN_LIST seen)
                continue()
            endif()
            list(APPEND seen ${t})
            if(t IN_LIST ROVANA_WIDGET_LIBRARIES)
                message(FATAL_ERROR "${root} links ${t}, a widgets library: move the rule it "
                                    "needs into the core")
            endif()
            if(NOT TARGET ${t})
                continue()
            endif()
            get_target_property(imported ${t} IMPORTED)
            set(props INTERFACE_LINK_LIBRARIES)
            if(NOT imported)
                list(APPEND props LINK_LIBRARIES)
            endif()
            foreach(p IN LISTS props)
                get_target_property(libs ${t} ${p})
                if(libs)
                    foreach(l IN LISTS libs)
                        # $<LINK_ONLY:x> and other generator expressions around a name
                        string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" l "${l}")
                        if(NOT l MATCHES "^\\$<")
                            list(APPEND queue ${l})
                        endif()
                    endforeach()
                endif()
            endforeach()
        endwhile()
    endforeach()
endfunction()
