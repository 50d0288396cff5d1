// Method pointers: an object and one of its member functions, comparable and swappable.
// Events and replaceable window procedures are method pointers, so code can test them for
// being assigned, compare them with another handler and chain them, as the component
// library's events allow. No windows.h here.
//
//   btn->OnClick = Bind<&TMainForm::btnApplyClick>(this);
//   if (btn->OnClick == Bind<&TMainForm::btnApplyClick>(this)) ...
//   if (btn->OnClick) btn->OnClick(btn);
#pragma once

#include <cstddef>
#include <memory>
#include <type_traits>
#include <utility>

template <class Sig>
class Method;

template <class R, class... A>
class Method<R(A...)> {
public:
    using Thunk = R (*)(void*, A...);

    Method() = default;
    Method(std::nullptr_t) {}

    // A member function M of an object (the object is not owned).
    template <auto M, class C>
    static Method Of(C* obj)
    {
        Method m;
        m.FData = const_cast<void*>(static_cast<const void*>(obj));
        m.FCode = &InvokeMember<C, M>;
        return m;
    }

    // A callable object kept alive by the method pointer; equal only to its own copies.
    template <class F>
    static Method FromCallable(F f)
    {
        auto holder = std::make_shared<F>(std::move(f));
        Method m;
        m.FData = holder.get();
        m.FCode = &InvokeCallable<F>;
        m.FHolder = std::move(holder);
        return m;
    }

    explicit operator bool() const noexcept { return FCode != nullptr; }
    bool Assigned() const noexcept { return FCode != nullptr; }

    R operator()(A... args) const { return FCode(FData, std::forward<A>(args)...); }

    // The object and the code, as the component library's method record has them.
    void* Data() const noexcept { return FData; }
    const void* Code() const noexcept { return reinterpret_cast<const void*>(FCode); }
    bool SameCode(const Method& other) const noexcept { return FCode == other.FCode; }

    friend bool operator==(const Method& a, const Method& b) noexcept
    {
        return a.FData == b.FData && a.FCode == b.FCode;
    }
    friend bool operator!=(const Method& a, const Method& b) noexcept { return !(a == b); }

private:
    template <class C, auto M>
    static R InvokeMember(void* obj, A... args)
    {
        return (static_cast<C*>(obj)->*M)(std::forward<A>(args)...);
    }
    template <class F>
    static R InvokeCallable(void* f, A... args)
    {
        return (*static_cast<F*>(f))(std::forward<A>(args)...);
    }

    void* FData = nullptr;
    Thunk FCode = nullptr;
    std::shared_ptr<void> FHolder;
};

namespace method_detail {
template <class T>
struct MemberTraits;
template <class C, class R, class... A>
struct MemberTraits<R (C::*)(A...)> {
    using Class = C;
    using Sig = R(A...);
};
template <class C, class R, class... A>
struct MemberTraits<R (C::*)(A...) const> {
    using Class = const C;
    using Sig = R(A...);
};
template <class C, class R, class... A>
struct MemberTraits<R (C::*)(A...) noexcept> {
    using Class = C;
    using Sig = R(A...);
};
}  // namespace method_detail

// Binds member function M to obj, deducing the signature from M.
template <auto M>
auto Bind(typename method_detail::MemberTraits<decltype(M)>::Class* obj)
{
    using Traits = method_detail::MemberTraits<decltype(M)>;
    using C = std::remove_const_t<typename Traits::Class>;
    return Method<typename Traits::Sig>::template Of<M>(const_cast<C*>(obj));
}

class TObject;
using TNotifyEvent = Method<void(TObject* Sender)>;
