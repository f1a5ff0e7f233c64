#include "report/emg_processing.hpp"

void emg_free(std::unique_ptr<EmgReport> report)
{
    report.reset();
}
