# every kind once, with the header statements
color mine 10 120 200
property pt net string none
property rect w double 0
endheader
pt 1.5 -2 mine 3 net a1 !! pt:net==a1#rect:w>2 // first note#second note
line 0 0 4 -3 red
rect 1 -6 3 -4 blue w 3.5
circle 6 -3 1.5 green
path 3 0 -8 2 -9 4 -8 navy
polygon 4 6 -8 8 -8 8 -6 7 -5 teal
