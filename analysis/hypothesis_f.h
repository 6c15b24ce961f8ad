#pragma once

namespace morvit {

// The F of a hypothesis row: its mean square distance, SSD over the numerator degrees of
// freedom, against the expected mean square distance of the run, formed as
// (ssd / dfn) / expected_msd. For a single factor dfn is the partition weight itself, for a
// combination the rounded DF as a double. The table and the page's numbers module both
// form F here, so that the page's F at a measurement error is the run's to the last bit.
inline double hypothesis_f(double ssd, double dfn, double expected_msd) { return (ssd / dfn) / expected_msd; }

}  // namespace morvit
