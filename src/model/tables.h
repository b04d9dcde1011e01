#pragma once
// Linearisation tables (17 raw readings per table) and the CO2 zero and span references.

#include <array>
#include <functional>
#include <optional>

namespace kelvo {

struct Context;

constexpr int kTableEntries = 17;
using TableEntries = std::array<float, kTableEntries>;

// The interpolations behind TableToRaw and TableToLinear, over a table's 17 entries.
double InterpolateToRaw(const TableEntries& entries, double x);
double InterpolateToLinear(const TableEntries& entries, double y);
// The entries BuildTable writes for the response model; nullopt when there is no model
// (l, m and o all 0) or it cannot be scaled. Yield runs on every bisection step.
std::optional<TableEntries> BuildTableEntries(double l, double m, double o, double tt, double u,
                                              double g, const std::function<void()>& yield);

float GetTableEntry(Context& ctx, int Table, int Entry);
void SetTableEntry(Context& ctx, int Table, int Entry, float Value);
float TableToRaw(Context& ctx, int Table, double X);
float TableToLinear(Context& ctx, int Table, double Y);
bool BuildTable(Context& ctx, int Table, float l, float m, float o, float tt, float u, float g,
                float x);

float GetZeroReference(Context& ctx, int n);
void SetZeroReference(Context& ctx, int n, float Raw);
float GetSpanReference(Context& ctx, int n, bool Live, bool ReadFirst);
void SetSpanReference(Context& ctx, int n, bool Live, float Raw);

}  // namespace kelvo
