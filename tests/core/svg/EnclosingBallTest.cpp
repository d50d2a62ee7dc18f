#include "svg/EnclosingBall.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace
{
struct Case
{
    const char* name;
    std::vector<double> points; // x, y pairs
    double cx, cy, r;
};

void ExpectBall(const std::vector<double>& points, double cx, double cy, double r, const char* name)
{
    EnclosingBall ball(2, points.data(), points.size() / 2);
    const double radius = ball.GetRadius();
    const double* c = ball.GetCenter();
    EXPECT_NEAR(c[0], cx, 1e-9) << name;
    EXPECT_NEAR(c[1], cy, 1e-9) << name;
    EXPECT_NEAR(radius, r, 1e-9) << name;
}
} // namespace

TEST(EnclosingBall, KnownCircles)
{
    const double h = std::sqrt(3.0) / 2.0;
    const Case cases[] = {
        {"one point", {3, 4}, 3, 4, 0},
        {"identical points", {1, 2, 1, 2, 1, 2, 1, 2}, 1, 2, 0},
        {"two points", {0, 0, 2, 0}, 1, 0, 1},
        {"rectangle 4x2", {0, 0, 4, 0, 4, 2, 0, 2}, 2, 1, std::sqrt(5.0)},
        {"obtuse triangle", {0, 0, 10, 0, 5, 1}, 5, 0, 5},
        {"equilateral triangle", {0, 0, 1, 0, 0.5, h}, 0.5, h / 3.0, 1.0 / std::sqrt(3.0)},
        {"square with inner points",
         {0, 0, 2, 0, 2, 2, 0, 2, 1, 1, 0.5, 1.5, 1.9, 0.1},
         1,
         1,
         std::sqrt(2.0)},
        {"collinear", {0, 0, 1, 1, 2, 2, 3, 3, 4, 4}, 2, 2, std::sqrt(8.0)},
    };
    for (const Case& c : cases)
        ExpectBall(c.points, c.cx, c.cy, c.r, c.name);
}

// Random clouds: the ball holds every point, at least two lie on its boundary, and adding
// points inside it changes nothing.
TEST(EnclosingBall, RandomCloudsAreEnclosedTightlyAndStable)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-100.0, 100.0);
    for (int trial = 0; trial < 50; ++trial)
    {
        std::vector<double> pts;
        const int n = 2 + trial * 3;
        for (int i = 0; i < 2 * n; ++i)
            pts.push_back(u(rng));
        EnclosingBall ball(2, pts.data(), n);
        const double r = ball.GetRadius();
        const double cx = ball.GetCenter()[0], cy = ball.GetCenter()[1];
        int onBoundary = 0;
        for (int i = 0; i < n; ++i)
        {
            const double d = std::hypot(pts[2 * i] - cx, pts[2 * i + 1] - cy);
            EXPECT_LE(d, r * (1 + 1e-9)) << "trial " << trial;
            if (d > r * (1 - 1e-9)) ++onBoundary;
        }
        EXPECT_GE(onBoundary, 2) << "trial " << trial;

        std::vector<double> more = pts;
        for (int i = 0; i < 20; ++i)
        {
            const double a = i * 0.7, s = r * 0.9 * (i % 5) / 5.0;
            more.push_back(cx + s * std::cos(a));
            more.push_back(cy + s * std::sin(a));
        }
        ExpectBall(more, cx, cy, r, "with inner points");
    }
}

TEST(EnclosingBall, ThreeDimensions)
{
    // Corners of a unit cube: centre (0.5, 0.5, 0.5), radius sqrt(3)/2.
    std::vector<double> pts;
    for (int i = 0; i < 8; ++i)
    {
        pts.push_back(i & 1);
        pts.push_back((i >> 1) & 1);
        pts.push_back((i >> 2) & 1);
    }
    EnclosingBall ball(3, pts.data(), 8);
    EXPECT_NEAR(ball.GetRadius(), std::sqrt(3.0) / 2.0, 1e-9);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(ball.GetCenter()[i], 0.5, 1e-9);
}
