#pragma once

#include <cstdint>

// Result code of the model layer.
enum MODEL_RESULT : std::uint32_t {
    MODEL_RESULT_OK = 0,
    MODEL_RESULT_ERROR = 1,
};

// The parameter id of nothing.
constexpr unsigned int UndefinedId = 0xFFFFFFFFu;

// Stores value through result when the caller asked for it.
inline void setModelResult(MODEL_RESULT* result, MODEL_RESULT value)
{
    if (result != nullptr) {
        *result = value;
    }
}
