// Exercise types: what movement an exercise records, from its name when
// the name says so, else from the movement itself (emg_measures).
#pragma once

#include <optional>
#include <string_view>

enum class EmgExerciseType { opening, protrusion, laterotrusion_right, laterotrusion_left, chewing, other };

// The CSV's word for a type: "opening", "protrusion", "laterotrusion_right",
// "laterotrusion_left", "chewing", "other".
const char* emg_exercise_type_name(EmgExerciseType type);

// The type a name states, case-insensitively, in English or German:
//   chew, kau, mastica                          -> chewing
//   latero or lateral, with right/rechts or left/links -> laterotrusion_*
//   protru                                      -> protrusion
//   open, öffn (oeffn)                          -> opening
// None when the name states none of them (or a laterotrusion without side).
std::optional<EmgExerciseType> emg_exercise_type_from_name(std::string_view name);
