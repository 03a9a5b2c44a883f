#pragma once
// Work on every cell of the largest grids (131 064 of them) split in two
// halves that run at once, one on a thread of its own: the two cores that
// the program may count on halve the wait. Smaller jobs run both halves in
// turn on the caller's thread, where starting a thread would cost more than
// it saves.

#include <QtGlobal>
#include <future>
#include <type_traits>
#include <utility>

// trabajo() on a thread of its own when the job is big enough to be worth
// one; otherwise it runs on the caller's thread when its result is asked for.
template <typename Trabajo> auto Aparte(bool valeUnHilo, Trabajo&& trabajo) {
    return std::async(valeUnHilo ? std::launch::async : std::launch::deferred,
                      std::forward<Trabajo>(trabajo));
}

// trabajo(desde, hasta) is called for [0, mitad) here and for [mitad, total)
// beside it; what the two calls return comes back as a pair, the first half
// first. The halves must not write to the same data.
template <typename Trabajo>
auto EnDosMitades(qsizetype total, qsizetype minimoParaDosHilos, Trabajo&& trabajo) {
    const qsizetype mitad = total / 2;
    auto segunda = Aparte(total >= minimoParaDosHilos,
                          [&trabajo, mitad, total] { return trabajo(mitad, total); });
    if constexpr (std::is_void_v<decltype(trabajo(qsizetype(0), mitad))>) {
        trabajo(qsizetype(0), mitad);
        segunda.get();
    } else {
        auto primera = trabajo(qsizetype(0), mitad);
        return std::pair{std::move(primera), segunda.get()};
    }
}
