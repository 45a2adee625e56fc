// The design pass runs on every change the user makes; it works on the three arrays alone and
// must not touch the heap. The global allocation functions are replaced, in this test binary
// only, by versions that count while a pass runs.
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "math/design_network.h"

namespace {

bool counting = false;
int allocations = 0;
int* volatile probe = nullptr;  // kept out of reach, so the probe's allocation is not elided

void* Allocate(std::size_t size) {
  if (counting) ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (counting) ++allocations;
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  if (counting) ++allocations;
  return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace corvantile {
namespace {

int AllocationsDuring(RunState& state, DesignOutcome& outcome) {
  allocations = 0;
  counting = true;
  outcome = RunDesignPass(state);
  counting = false;
  return allocations;
}

TEST(DesignAllocation, CountingSeesAnAllocation) {
  counting = true;
  allocations = 0;
  probe = new int(1);
  counting = false;
  delete probe;
  EXPECT_EQ(allocations, 1);
}

TEST(DesignAllocation, DesignPassAllocatesNothingInAnyFamily) {
  for (const float family : {FamilyTee, FamilyPi, FamilyLowpassL, FamilyHighpassL}) {
    RunState state = MakeDefaultRunState();
    state.NetValues[NetworkFamily] = family;
    DesignOutcome outcome{};
    EXPECT_EQ(AllocationsDuring(state, outcome), 0) << "family " << family;
    EXPECT_EQ(outcome, DesignOutcome::Designed) << "family " << family;
    // The caution path too.
    state.NetValues[NetworkPhase] = 0.0f;
    state.NetValues[NetworkFamily] = family == FamilyTee ? FamilyTee : FamilyPi;
    state.NetValues[DesignDriver] = DriverPhase;
    EXPECT_EQ(AllocationsDuring(state, outcome), 0) << "family " << family;
    EXPECT_EQ(outcome, DesignOutcome::Impossible) << "family " << family;
  }
}

}  // namespace
}  // namespace corvantile
