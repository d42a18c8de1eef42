endheader
pt 0 0 red 4
pt 1e-300 1e-300 red 5
line 1e300 0 -1e300 0 red
path 2 0 0 1e-320 1e-320 red
