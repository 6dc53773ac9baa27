# Helpers shared by every folder's CMakeLists.txt.
#
# Each source folder is one library target named after the folder (core, link,
# widgets, ...). Sources are globbed so that adding a file needs no edit here.

# windscope_library(NAME [QT] [DEPS dep...])
#   Builds every *.cpp of the current folder into a static library NAME.
#   QT turns on moc/rcc and links Qt Core, Gui, Widgets, Network.
#   A folder with no sources yet gives an INTERFACE library, so that
#   dependants link it unchanged once it fills up.
function(windscope_library name)
  cmake_parse_arguments(ARG "QT" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB qrcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  if(sources OR qrcs)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    if(ARG_QT)
      set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
      target_link_libraries(${name} PUBLIC Qt6::Core Qt6::Gui Qt6::Widgets Qt6::Network)
    endif()
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    if(ARG_QT)
      target_link_libraries(${name} INTERFACE Qt6::Core Qt6::Gui Qt6::Widgets Qt6::Network)
    endif()
  endif()
  add_library(windscope::${name} ALIAS ${name})
endfunction()
