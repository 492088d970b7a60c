#include "models/batch_detail.hpp"

namespace veldo::batch_detail {

void CylinderChunk(const Coil&, std::span<const std::size_t>, std::span<const Conductor* const>, std::span<const double>,
               double, std::span<Impedance>, std::vector<char>&) {}

}  // namespace veldo::batch_detail
