#pragma once
// Smallest enclosing ball of a finite point set in any dimension (double precision), after
// Fischer, Gaertner and Kutz, "Fast Smallest-Enclosing-Ball Computation in High Dimensions"
// (2003): a ball that always holds every point shrinks by walking its centre towards the affine
// hull of a support set of boundary points; the support is kept as a QR factorisation updated
// in place with Givens rotations. The SVG object layer uses it in 2D for the rotation centres
// of gear parts.
#include <cstddef>
#include <vector>

// The support set of an EnclosingBall: up to d + 1 point indices (the last, m_r, is the
// origin) and the factorisation Q R of the matrix whose columns are S[m_i] - S[m_r], i < r.
class BallSupport
{
public:
    BallSupport(unsigned nDim, const double* pPoints, size_t nPoints, size_t nFirst);

    bool IsMember(size_t nIndex) const { return _aMember[nIndex]; }
    unsigned Size() const { return _nR; } // r: members besides the origin
    size_t Member(unsigned nSlot) const { return _aMembers[nSlot]; }
    size_t Origin() const { return _aMembers[_nR]; }
    const double* Q(unsigned nColumn) const { return &_aQ[nColumn * _nDim]; }

    // Affine coefficients of x with respect to the members; lambda gets r + 1 values.
    void FindAffineCoefficients(const double* x, double* lambda);
    // Adds a point while r < d.
    void AddPoint(size_t nIndex);
    // Removes the member of a slot (0..r; r is the origin).
    void RemovePoint(unsigned nSlot);

private:
    double* R(unsigned nColumn) { return &_aR[nColumn * _nDim]; }
    double* QCol(unsigned nColumn) { return &_aQ[nColumn * _nDim]; }
    const double* Point(size_t i) const { return _pPoints + i * _nDim; }
    void ClearSubDiagonal(unsigned nFrom);

    unsigned _nDim;
    const double* _pPoints;
    std::vector<bool> _aMember;
    std::vector<size_t> _aMembers; // d + 1 slots
    unsigned _nR = 0;
    std::vector<double> _aQ; // d columns of d
    std::vector<double> _aR; // d columns of d
    std::vector<double> _aU, _aW;
};

class EnclosingBall
{
public:
    // pPoints: nPoints points of nDim doubles each, contiguous; not owned, not changed, not empty.
    EnclosingBall(unsigned nDim, const double* pPoints, size_t nPoints);
    ~EnclosingBall();
    EnclosingBall(const EnclosingBall&) = delete;
    EnclosingBall& operator=(const EnclosingBall&) = delete;

    // Both run the computation first when it has not run yet.
    const double* GetCenter();
    double GetRadius();

    static constexpr double kEpsilon = 1e-14;

private:
    void Compute();
    const double* Point(size_t i) const { return _pPoints + i * _nDim; }

    unsigned _nDim;
    const double* _pPoints;
    size_t _nPoints;
    std::vector<double> _aCenter;
    double _fRadius = 0.0, _fRadius2 = 0.0;
    BallSupport* _pSupport = nullptr;
    std::vector<double> _aV, _aP, _aLambda;
    double _fDist2 = 0.0, _fDist = 0.0;
    bool _bDone = false;
};
