#pragma once
// The receiver's toolkit uses the old SigC spelling of libsigc++. This maps it
// onto libsigc++ 2: SigC::slot(object, &Class::method) and the signal types.

#include <sigc++/sigc++.h>

namespace SigC {

template <class R>
using Signal0 = sigc::signal<R>;
template <class R, class A1>
using Signal1 = sigc::signal<R, A1>;

template <class T, class R, class... A>
auto slot(T& object, R (T::*method)(A...)) {
    return sigc::mem_fun(object, method);
}
template <class T, class R, class... A>
auto slot(T* object, R (T::*method)(A...)) {
    return sigc::mem_fun(*object, method);
}

}  // namespace SigC

#define CONNECT(SENDER, RECEIVER) (SENDER).connect(SigC::slot(*this, &RECEIVER))
