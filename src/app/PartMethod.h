#pragma once

#include <cstddef>

// What a part's method is: its part, its number of arguments and their types (an index
// past the last names no type, so that a forward of another arity drops out quietly).
template <std::size_t I, class... A> struct PartMethodArg {};
template <class First, class... Rest> struct PartMethodArg<0, First, Rest...> {
    using type = First;
};
template <std::size_t I, class First, class... Rest>
requires(I > 0) struct PartMethodArg<I, First, Rest...> : PartMethodArg<I - 1, Rest...> {
};

template <class F> struct PartMethod;
template <class P, class R, class... A> struct PartMethod<R (P::*)(A...)> {
    using Part = P;
    static constexpr std::size_t arity = sizeof...(A);
    template <std::size_t I> using Arg = typename PartMethodArg<I, A...>::type;
};
template <class P, class R, class... A>
struct PartMethod<R (P::*)(A...) const> : PartMethod<R (P::*)(A...)> {};
