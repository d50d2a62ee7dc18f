#include "svg/EnclosingBall.h"

#include "rvAssert.h"

#include <cmath>

namespace
{
// (c, s) with c a + s b = +-sqrt(a^2 + b^2) and c b - s a = 0.
void Givens(double a, double b, double& c, double& s)
{
    if (b == 0.0)
    {
        c = 1.0;
        s = 0.0;
    }
    else if (std::fabs(b) > std::fabs(a))
    {
        const double t = a / b;
        s = 1.0 / std::sqrt(1.0 + t * t);
        c = s * t;
    }
    else
    {
        const double t = b / a;
        c = 1.0 / std::sqrt(1.0 + t * t);
        s = c * t;
    }
}

void Rotate(double& x, double& y, double c, double s)
{
    const double x1 = c * x + s * y;
    const double y1 = c * y - s * x;
    x = x1;
    y = y1;
}

void RotateColumns(double* x, double* y, unsigned n, double c, double s)
{
    for (unsigned i = 0; i < n; ++i)
        Rotate(x[i], y[i], c, s);
}

double Dot(const double* a, const double* b, unsigned n)
{
    double sum = 0.0;
    for (unsigned i = 0; i < n; ++i)
        sum += a[i] * b[i];
    return sum;
}

double Dist2(const double* a, const double* b, unsigned n)
{
    double sum = 0.0;
    for (unsigned i = 0; i < n; ++i)
        sum += (a[i] - b[i]) * (a[i] - b[i]);
    return sum;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// BallSupport
// ---------------------------------------------------------------------------------------------

BallSupport::BallSupport(unsigned nDim, const double* pPoints, size_t nPoints, size_t nFirst)
    : _nDim(nDim), _pPoints(pPoints), _aMember(nPoints, false), _aMembers(nDim + 1, 0),
      _aQ(size_t(nDim) * nDim, 0.0), _aR(size_t(nDim) * nDim, 0.0), _aU(nDim), _aW(nDim)
{
    for (unsigned i = 0; i < nDim; ++i)
        _aQ[i * nDim + i] = 1.0;
    _aMembers[0] = nFirst;
    _aMember[nFirst] = true;
}

void BallSupport::FindAffineCoefficients(const double* x, double* lambda)
{
    const double* origin = Point(Origin());
    for (unsigned i = 0; i < _nDim; ++i)
        _aU[i] = x[i] - origin[i];
    for (unsigned i = 0; i < _nDim; ++i)
        _aW[i] = Dot(QCol(i), _aU.data(), _nDim);

    double origin_lambda = 1.0;
    for (int j = int(_nR) - 1; j >= 0; --j)
    {
        for (unsigned k = unsigned(j) + 1; k < _nR; ++k)
            _aW[j] -= lambda[k] * R(k)[j];
        lambda[j] = _aW[j] / R(unsigned(j))[j];
        origin_lambda -= lambda[j];
    }
    lambda[_nR] = origin_lambda;
}

void BallSupport::AddPoint(size_t nIndex)
{
    rvAssert(_nR < _nDim);
    const double* origin = Point(Origin());
    const double* x = Point(nIndex);
    for (unsigned i = 0; i < _nDim; ++i)
        _aU[i] = x[i] - origin[i];

    double* column = R(_nR);
    for (unsigned i = 0; i < _nDim; ++i)
        column[i] = Dot(QCol(i), _aU.data(), _nDim);
    for (unsigned j = _nDim - 1; j > _nR; --j)
    {
        double c, s;
        Givens(column[j - 1], column[j], c, s);
        column[j - 1] = c * column[j - 1] + s * column[j];
        column[j] = 0.0;
        RotateColumns(QCol(j - 1), QCol(j), _nDim, c, s);
    }

    _aMember[nIndex] = true;
    _aMembers[_nR + 1] = _aMembers[_nR];
    _aMembers[_nR] = nIndex;
    ++_nR;
}

void BallSupport::ClearSubDiagonal(unsigned nFrom)
{
    for (unsigned k = nFrom; k < _nR; ++k)
    {
        double c, s;
        Givens(R(k)[k], R(k)[k + 1], c, s);
        R(k)[k] = c * R(k)[k] + s * R(k)[k + 1];
        R(k)[k + 1] = 0.0;
        for (unsigned j = k + 1; j < _nR; ++j)
            Rotate(R(j)[k], R(j)[k + 1], c, s);
        RotateColumns(QCol(k), QCol(k + 1), _nDim, c, s);
    }
}

void BallSupport::RemovePoint(unsigned nSlot)
{
    rvAssert(nSlot <= _nR);
    _aMember[_aMembers[nSlot]] = false;

    if (nSlot < _nR)
    {
        // Shift the later columns and members down by one; the freed column becomes R[r - 1].
        std::vector<double> freed(R(nSlot), R(nSlot) + _nDim);
        for (unsigned j = nSlot; j + 1 < _nR; ++j)
            for (unsigned i = 0; i < _nDim; ++i)
                R(j)[i] = R(j + 1)[i];
        for (unsigned i = 0; i < _nDim; ++i)
            R(_nR - 1)[i] = freed[i];
        for (unsigned j = nSlot; j < _nR; ++j)
            _aMembers[j] = _aMembers[j + 1];
        --_nR;
        ClearSubDiagonal(nSlot);
        return;
    }

    // The origin goes: m_(r-1) becomes the origin, every column gains u = old - new origin.
    rvAssert(_nR > 0);
    const double* oldOrigin = Point(_aMembers[_nR]);
    const double* newOrigin = Point(_aMembers[_nR - 1]);
    for (unsigned i = 0; i < _nDim; ++i)
        _aU[i] = oldOrigin[i] - newOrigin[i];
    --_nR;

    for (unsigned i = 0; i < _nDim; ++i)
        _aW[i] = Dot(QCol(i), _aU.data(), _nDim);
    for (unsigned k = _nDim - 1; k > 0; --k)
    {
        double c, s;
        Givens(_aW[k - 1], _aW[k], c, s);
        Rotate(_aW[k - 1], _aW[k], c, s);
        R(k - 1)[k] = -s * R(k - 1)[k - 1];
        R(k - 1)[k - 1] *= c;
        for (unsigned j = k; j < _nR; ++j)
            Rotate(R(j)[k - 1], R(j)[k], c, s);
        RotateColumns(QCol(k - 1), QCol(k), _nDim, c, s);
    }
    for (unsigned j = 0; j < _nR; ++j)
        R(j)[0] += _aW[0];
    ClearSubDiagonal(0);
}

// ---------------------------------------------------------------------------------------------
// EnclosingBall
// ---------------------------------------------------------------------------------------------

EnclosingBall::EnclosingBall(unsigned nDim, const double* pPoints, size_t nPoints)
    : _nDim(nDim), _pPoints(pPoints), _nPoints(nPoints), _aCenter(nDim, 0.0), _aV(nDim), _aP(nDim),
      _aLambda(nDim + 1)
{
    rvAssert(nDim > 0 && pPoints != nullptr && nPoints > 0);
}

EnclosingBall::~EnclosingBall()
{
    delete _pSupport;
}

const double* EnclosingBall::GetCenter()
{
    if (!_bDone) Compute();
    return _aCenter.data();
}

double EnclosingBall::GetRadius()
{
    if (!_bDone) Compute();
    return _fRadius;
}

void EnclosingBall::Compute()
{
    _bDone = true;
    const unsigned d = _nDim;

    // Initial ball: centred on the first point, through the farthest one (a later point wins a tie).
    for (unsigned i = 0; i < d; ++i)
        _aCenter[i] = Point(0)[i];
    _fRadius2 = 0.0;
    size_t farthest = 0;
    for (size_t j = 1; j < _nPoints; ++j)
    {
        const double dj = Dist2(Point(j), _aCenter.data(), d);
        if (dj >= _fRadius2)
        {
            _fRadius2 = dj;
            farthest = j;
        }
    }
    _fRadius = std::sqrt(_fRadius2);
    delete _pSupport;
    _pSupport = new BallSupport(d, _pPoints, _nPoints, farthest);

    // The loop always ends in exact arithmetic; the cap only guards against rounding cycles on
    // hostile input.
    const size_t maxPasses = 10000 + 100 * _nPoints;
    for (size_t pass = 0; pass < maxPasses; ++pass)
    {
        // Vector from the centre to the affine hull of the support.
        const double* origin = Point(_pSupport->Origin());
        for (unsigned i = 0; i < d; ++i)
            _aV[i] = origin[i] - _aCenter[i];
        for (unsigned j = 0; j < _pSupport->Size(); ++j)
        {
            const double* q = _pSupport->Q(j);
            const double proj = Dot(_aV.data(), q, d);
            for (unsigned i = 0; i < d; ++i)
                _aV[i] -= proj * q[i];
        }
        _fDist2 = Dot(_aV.data(), _aV.data(), d);
        _fDist = std::sqrt(_fDist2);

        bool drop = _fDist <= kEpsilon * _fRadius;
        if (!drop)
        {
            double scale = 1.0;
            size_t stopper = _nPoints;
            for (size_t j = 0; j < _nPoints; ++j)
            {
                if (_pSupport->IsMember(j)) continue;
                for (unsigned i = 0; i < d; ++i)
                    _aP[i] = Point(j)[i] - _aCenter[i];
                const double pi = Dot(_aV.data(), _aP.data(), d);
                if (_fDist2 - pi < kEpsilon * _fRadius * _fDist) continue;
                const double bound = (_fRadius2 - Dot(_aP.data(), _aP.data(), d)) / (2.0 * (_fDist2 - pi));
                if (bound > 0.0 && bound < scale)
                {
                    scale = bound;
                    stopper = j;
                }
            }
            if (stopper < _nPoints && _pSupport->Size() + 1 <= d)
            {
                for (unsigned i = 0; i < d; ++i)
                    _aCenter[i] += scale * _aV[i];
                _fRadius2 = Dist2(Point(_pSupport->Origin()), _aCenter.data(), d);
                _fRadius = std::sqrt(_fRadius2);
                _pSupport->AddPoint(stopper);
                continue;
            }
            for (unsigned i = 0; i < d; ++i)
                _aCenter[i] += _aV[i];
            _fRadius2 = Dist2(Point(_pSupport->Origin()), _aCenter.data(), d);
            _fRadius = std::sqrt(_fRadius2);
        }

        // Drop the member with the smallest non-positive affine coefficient, or stop.
        _pSupport->FindAffineCoefficients(_aCenter.data(), _aLambda.data());
        double smallest = 1.0;
        int slot = -1;
        for (unsigned i = 0; i <= _pSupport->Size(); ++i)
            if (_aLambda[i] < smallest)
            {
                smallest = _aLambda[i];
                slot = int(i);
            }
        if (slot >= 0 && smallest <= 0.0)
        {
            _pSupport->RemovePoint(unsigned(slot));
            continue;
        }
        break;
    }
}
