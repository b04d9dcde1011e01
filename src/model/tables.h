#pragma once
// Linearisation tables (17 raw readings per table) and the CO2 zero and span references.

namespace kelvo {

struct Context;

constexpr int kTableEntries = 17;

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
