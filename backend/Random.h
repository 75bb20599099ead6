// A small seeded random source whose sequence is the same on every platform and standard library.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace huddlepod::backend {

class Random {
public:
    explicit Random(std::uint64_t seed)
        : state_(seed ^ 0x9E3779B97F4A7C15ull) {}

    std::uint64_t next() {
        // splitmix64: fast, well distributed, and fully specified.
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // A new, independent stream derived from this one.
    Random fork() { return Random(next()); }

    // Uniform in [0, 1).
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }

    double uniform(double low, double high) { return low + (high - low) * uniform(); }

    // Uniform integer in [low, high], both inclusive.
    int between(int low, int high) {
        if (high <= low) {
            return low;
        }
        const auto span = static_cast<std::uint64_t>(high - low) + 1;
        return low + static_cast<int>(next() % span);
    }

    bool chance(double probability) { return uniform() < probability; }

    // Box-Muller; one value per call keeps the sequence simple to reason about.
    double normal(double mean, double deviation) {
        double u1 = uniform();
        if (u1 < 1e-12) {
            u1 = 1e-12;
        }
        const double u2 = uniform();
        return mean + deviation * std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
    }

    int poisson(double mean) {
        if (mean <= 0) {
            return 0;
        }
        if (mean > 30) {
            return std::max(0, static_cast<int>(std::lround(normal(mean, std::sqrt(mean)))));
        }
        const double limit = std::exp(-mean);
        double product = uniform();
        int count = 0;
        while (product > limit) {
            ++count;
            product *= uniform();
        }
        return count;
    }

    int binomial(int trials, double probability) {
        int successes = 0;
        for (int i = 0; i < trials; ++i) {
            successes += chance(probability) ? 1 : 0;
        }
        return successes;
    }

    // Index chosen with probability proportional to its weight; -1 when every weight is zero.
    int weighted(const std::vector<double>& weights) {
        double total = 0;
        for (double w : weights) {
            total += std::max(0.0, w);
        }
        if (total <= 0) {
            return -1;
        }
        double target = uniform() * total;
        for (std::size_t i = 0; i < weights.size(); ++i) {
            target -= std::max(0.0, weights[i]);
            if (target < 0) {
                return static_cast<int>(i);
            }
        }
        for (std::size_t i = weights.size(); i > 0; --i) {
            if (weights[i - 1] > 0) {
                return static_cast<int>(i - 1);
            }
        }
        return -1;
    }

    template <typename T>
    const T& pick(const std::vector<T>& items) {
        return items[static_cast<std::size_t>(between(0, static_cast<int>(items.size()) - 1))];
    }

    template <typename T>
    void shuffle(std::vector<T>& items) {
        for (std::size_t i = items.size(); i > 1; --i) {
            const auto j = static_cast<std::size_t>(next() % i);
            std::swap(items[i - 1], items[j]);
        }
    }

    // A version-4 UUID in canonical lower-case text.
    std::string uuid() {
        std::uint64_t high = next();
        std::uint64_t low = next();
        high = (high & 0xFFFFFFFFFFFF0FFFull) | 0x0000000000004000ull;
        low = (low & 0x3FFFFFFFFFFFFFFFull) | 0x8000000000000000ull;
        static const char* digits = "0123456789abcdef";
        std::string text;
        text.reserve(36);
        auto put = [&](std::uint64_t value, int nibbles) {
            for (int i = nibbles - 1; i >= 0; --i) {
                text.push_back(digits[(value >> (i * 4)) & 0xF]);
            }
        };
        put(high >> 32, 8);
        text.push_back('-');
        put((high >> 16) & 0xFFFF, 4);
        text.push_back('-');
        put(high & 0xFFFF, 4);
        text.push_back('-');
        put(low >> 48, 4);
        text.push_back('-');
        put(low & 0xFFFFFFFFFFFFull, 12);
        return text;
    }

private:
    std::uint64_t state_;
};

} // namespace huddlepod::backend
