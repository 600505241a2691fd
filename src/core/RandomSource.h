#pragma once

#include <random>

// Where the player's random choices come from. The program draws from the
// system's entropy; tests pass a seeded source.
class RandomSource
{
public:
    virtual ~RandomSource() = default;

    // A number from `low` to `high`, both included (low <= high).
    virtual int between(int low, int high) = 0;
};

class StdRandomSource : public RandomSource
{
public:
    StdRandomSource() : m_engine(std::random_device{}()) {}
    explicit StdRandomSource(unsigned seed) : m_engine(seed) {}

    int between(int low, int high) override { return std::uniform_int_distribution<int>(low, high)(m_engine); }

private:
    std::mt19937 m_engine;
};
