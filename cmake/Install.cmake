# What `cmake --install build --prefix P` puts where. The program finds the help file
# at <its folder>/../share/velmora, so the binaries and the data keep the default
# bin/ and share/ under the prefix.
include(GNUInstallDirs)

install(TARGETS velmora velmora-cli velmora-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The help file is Windows-1251 text: copied byte for byte.
install(FILES ${CMAKE_SOURCE_DIR}/Velmora.hlp DESTINATION ${CMAKE_INSTALL_DATADIR}/velmora)

install(FILES ${CMAKE_SOURCE_DIR}/data/velmora.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/data/icons/velmora.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/data/icons/${size}x${size}/velmora.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
