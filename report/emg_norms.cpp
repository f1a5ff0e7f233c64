#include "report/emg_norms.hpp"

#include <cmath>

namespace {

// Sources (see the README's "Clinical figures" section):
//   opening, protrusion, laterotrusion: DC/TMD (Schiffman et al. 2014) and
//     Okeson, Management of Temporomandibular Disorders and Occlusion;
//   deviation: the 2 mm of the DC/TMD opening pattern;
//   condylar inclination: axiographic means of about 30-45 degrees against
//     the axis-orbital or Frankfort plane;
//   Bennett angle and immediate side shift: Lundeen and Wirth 1973, Hanau's
//     formula, and the review of Taylor et al. 2016.
constexpr EmgNorm norms[] = {
    {40.0, 60.0, false, "40-60 mm"},
    {7.0, std::nullopt, false, "\u2265 7 mm"},
    {7.0, std::nullopt, false, "\u2265 7 mm"},
    {std::nullopt, 2.0, true, "\u2264 2 mm"},
    {30.0, 45.0, false, "30-45\u00b0"},
    {std::nullopt, 5.0, true, "\u2264 5\u00b0"},
    {7.0, 15.0, false, "7-15\u00b0"},
    {std::nullopt, 1.5, false, "\u2264 1.5 mm"},
};

}  // namespace

const EmgNorm& emg_norm(EmgNormFigure figure)
{
    return norms[static_cast<int>(figure)];
}

bool emg_norm_holds(EmgNormFigure figure, double value)
{
    const EmgNorm& norm = emg_norm(figure);
    const double v = norm.magnitude ? std::fabs(value) : value;
    if (!std::isfinite(v))
        return false;
    return (!norm.low || v >= *norm.low) && (!norm.high || v <= *norm.high);
}
