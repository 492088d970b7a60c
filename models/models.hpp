// Eddy-current models: the air-coil reference reactance, the sweep-range check and one impedance
// model per geometry case (planar, coil inside a bore, coil round a rod, coil axis parallel to a
// half-space). All inputs in SI units: metres, hertz, siemens per metre, relative permeabilities,
// and Acc a relative accuracy (0.0001 means 0.01 %).
//
// Every model is a pure function of its arguments: the integrands capture their parameters, so
// any number of calls may run at the same time on different threads.
#pragma once

namespace veldo {

// Shown by the Compute command when CheckRange rejects a sweep range (this library shows nothing).
inline constexpr const char* kCheckRangeMessage = "Check if (From <= To) and if (Step > 0)";

// Reactance X0 [ohm] of the coil in air at frequency f; Ier is the quadrature's IER (0..6) as is.
// The inductance is X0 / (2*pi*f).
void AirCoilReactance(int N, double R1, double R2, double L, double f, double Acc, double& X0, int& Ier);

// 1 when Step < 0 or From > To (the sweep cannot run), else 0. Step = 0 and From = To are valid.
int CheckRange(double From, double To, double Step);

// The models return the impedance change dR + j*dX [ohm] that the test piece causes, and Ier:
// 0 both quadrature runs succeeded, 1 only the real-part run failed, 2 only the imaginary-part
// run failed, 3 both failed. dR and dX are the best estimates whatever Ier says.

// Case 1: coil axis normal to a conducting, magnetic half-space; LO is the lift-off of the coil's
// lower face.
void PlanarOneLayer(int N, double R1, double R2, double L, double f, double LO, double CON1, double MR1,
                    double Acc, double& dR, double& dX, int& Ier);

// Case 2: a layer of thickness D1 (material 1) on a half-space of material 2.
void PlanarTwoLayers(int N, double R1, double R2, double L, double f, double LO, double D1, double CON1,
                     double CON2, double MR1, double MR2, double Acc, double& dR, double& dX, int& Ier);

// Case 3: coil coaxial inside a bore of radius B1 (> R2) in material 1.
void CylinderInsideOneLayer(int N, double R1, double R2, double L, double f, double B1, double CON1,
                            double MR1, double Acc, double& dR, double& dX, int& Ier);

// Case 4: bore of radius B1; material 1 fills B1 < r < B2, material 2 fills r > B2.
void CylinderInsideTwoLayers(int N, double R1, double R2, double L, double f, double B1, double B2,
                             double CON1, double CON2, double MR1, double MR2, double Acc, double& dR,
                             double& dX, int& Ier);

// Case 5: coil round a rod of radius B1 (< R1) of material 1.
void CylinderOutsideOneLayer(int N, double R1, double R2, double L, double f, double B1, double CON1,
                             double MR1, double Acc, double& dR, double& dX, int& Ier);

// Case 6: rod of radius B1; material 2 is the core r < B2, material 1 the shell B2 < r < B1.
void CylinderOutsideTwoLayers(int N, double R1, double R2, double L, double f, double B1, double B2,
                              double CON1, double CON2, double MR1, double MR2, double Acc, double& dR,
                              double& dX, int& Ier);

// Case 9: coil axis parallel to the surface of a half-space, the outermost turns at lift-off LO
// (the axis at height R2 + LO).
void VerticalCoilHalfSpace(int N, double R1, double R2, double L, double f, double LO, double CON1,
                           double MR1, double Acc, double& dR, double& dX, int& Ier);

}  // namespace veldo
