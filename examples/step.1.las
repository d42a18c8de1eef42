# step 1 of a converging placement: the cell moves toward its target (series member 1)
property rect step string 1
endheader
rect 60 -40 70 -30 silver cell target !! rect:cell==moving // the target position
rect 22 -40 32 -30 blue cell moving // step 1
path 2 27 -35 65 -35 red net pull // remaining distance
pt 5 -5 black 4 // step 1 of 6 (step 4 was not written)
# the row below: no cell is on its site yet
rect 0 -70 8 -60 olive cell c0 // cell 0
rect 8 -70 16 -60 olive cell c1 // cell 1
rect 13 -70 21 -60 olive cell c2 // cell 2
rect 20 -70 28 -60 olive cell c3 // cell 3
rect 26 -70 34 -60 olive cell c4 // cell 4
rect 31 -70 39 -60 olive cell c5 // cell 5
rect 40 -70 48 -60 olive cell c6 // cell 6
rect 44 -70 52 -60 olive cell c7 // cell 7
line 4 -60 12 -52 gray net n0
line 12 -60 17 -52 gray net n1
line 17 -60 24 -52 gray net n2
line 24 -60 30 -52 gray net n3
line 30 -60 35 -52 gray net n4
line 35 -60 44 -52 gray net n5
line 44 -60 48 -52 gray net n6
circle 48 -80 2 purple pin last // the row's output pin
