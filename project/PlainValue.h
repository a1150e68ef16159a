#pragma once

// Values taken from files are plain numbers, texts and geometry. Containers
// are refused: Qt reserves whatever element count one claims while reading it.
bool isPlainValueType(int metaType);
