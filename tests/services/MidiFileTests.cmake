# Standard MIDI Files and latency figures (services/MidiFile.cmake).
tarvo_add_test(StandardMidiFileTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/StandardMidiFileTest.cpp LIBS tarvomidifile)
tarvo_add_test(LatencyStatisticsTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/LatencyStatisticsTest.cpp LIBS tarvomidifile)
