#pragma once

#include <memory>

// Fields that few records set, kept in one block allocated on the first write: a million
// records then pay a pointer each instead of the fields' own bytes. Copies are deep.
template <class T> class OutOfLine {
  public:
    OutOfLine() = default;
    OutOfLine(const OutOfLine &o) : p_(o.p_ ? std::make_unique<T>(*o.p_) : nullptr) {}
    OutOfLine &operator=(const OutOfLine &o) {
        if (this != &o)
            p_ = o.p_ ? std::make_unique<T>(*o.p_) : nullptr;
        return *this;
    }
    OutOfLine(OutOfLine &&) noexcept = default;
    OutOfLine &operator=(OutOfLine &&) noexcept = default;

    // The fields, all defaults while none was written.
    const T &get() const {
        static const T none;
        return p_ ? *p_ : none;
    }
    T &edit() {
        if (!p_)
            p_ = std::make_unique<T>();
        return *p_;
    }

    bool has() const { return bool(p_); }
    void reset() { p_.reset(); }

  private:
    std::unique_ptr<T> p_;
};
