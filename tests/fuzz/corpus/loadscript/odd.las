color a 1 2
3 property pt n
double 0
endheader
pt 1e308 -1e308 a 7 n 1
pt nan inf 9 2000000000
path 2147483647 1 2 3
polygon -5 1 1 red
circle 0 0 -1 red
rect 5 5 1 1 16
