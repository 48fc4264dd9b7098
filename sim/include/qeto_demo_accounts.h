// The simulator's built-in demo accounts, shared with whatever logs in to it.
#ifndef QETO_DEMO_ACCOUNTS_H
#define QETO_DEMO_ACCOUNTS_H

namespace qeto::sim::demo {

// Holds shares on both counters; orders preloaded with --preload-orders are its.
inline constexpr char kAccount[] = "10001001";
inline constexpr char kPassword[] = "123456";
// A second, poorer one.
inline constexpr char kSecondAccount[] = "10001002";
inline constexpr char kSecondPassword[] = "Abc_123456";
// Both belong to this branch and application.
inline constexpr char kBranch[] = "0001";
inline constexpr char kAppId[] = "qeto-desk";

}  // namespace qeto::sim::demo

#endif  // QETO_DEMO_ACCOUNTS_H
