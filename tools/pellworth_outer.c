/* pellworth_outer: a library that imports pellworth_inner by bare name, as a
 * system library imports its own dependencies. */
__declspec(dllimport) int PellworthInner(void);

__declspec(dllexport) int PellworthOuter(void) { return PellworthInner() + 1; }
