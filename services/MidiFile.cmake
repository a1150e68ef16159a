# Standard MIDI Files and round-trip latency figures: no display, no ports,
# for the window and tarvo-cli alike.
add_library(tarvomidifile STATIC
  ${CMAKE_CURRENT_LIST_DIR}/LatencyStatistics.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LatencyStatistics.h
  ${CMAKE_CURRENT_LIST_DIR}/MidiFileCursor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MidiFileCursor.h
  ${CMAKE_CURRENT_LIST_DIR}/MidiFileFormat.h
  ${CMAKE_CURRENT_LIST_DIR}/MidiFileMessage.h
  ${CMAKE_CURRENT_LIST_DIR}/MidiFileReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MidiFileReader.h
  ${CMAKE_CURRENT_LIST_DIR}/MidiFileTempoMap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MidiFileTempoMap.h
  ${CMAKE_CURRENT_LIST_DIR}/MidiFileWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MidiFileWriter.h
)
target_include_directories(tarvomidifile PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(tarvomidifile PUBLIC midilib Qt5::Core)
