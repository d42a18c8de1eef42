# Vedra demo: a small placement and routing dump that shows every kind of object.
# Header lines: colours of this file, then typed properties with their defaults.
color cellfill 214 234 248
color macro 120 160 200
color netA 200 60 40
color netB 30 130 90
color via 250 190 60
color keepout 235 200 200
property rect cell string none
property rect area double 0
property path net string none
property path length double 0
property pt net string none
property pt kind string pin
property circle net string none
property polygon layer string M1
endheader

# --- point markers: circle, square, cross, triangle, diamond, 5-gon, 6-gon, 8-gon
pt 10 -6 navy 0 kind circle !! pt:kind==square // marker 0: circle
pt 18 -6 navy 1 kind square !! pt:kind==circle // marker 1: square
pt 26 -6 navy 2 kind cross // marker 2: cross
pt 34 -6 navy 3 kind triangle // marker 3: triangle
pt 42 -6 navy 4 kind diamond // marker 4: diamond
pt 50 -6 navy 5 kind pentagon // marker 5: regular 5-gon
pt 58 -6 navy 6 kind hexagon // marker 6: regular 6-gon
pt 66 -6 navy 8 kind octagon // marker 8: regular 8-gon

# --- placed cells (rect x1 y1 x2 y2 colour, smaller corner first)
rect 6 -30 22 -16 cellfill cell U1 area 224 !! rect:area>200#path:net==A // cell U1#drives net A
rect 30 -30 46 -16 cellfill cell U2 area 224 !! path:net==A||net==B // cell U2
rect 54 -34 78 -16 macro cell RAM0 area 432 !! rect:cell==RAM0 // macro RAM0#fixed placement
rect 6 -56 22 -42 cellfill cell U3 area 224 !! path:net==B // cell U3
rect 30 -56 46 -42 cellfill cell U4 area 224
rect 84 -40 96 -16 keepout cell blockage area 288 // routing blockage

# --- pins of the cells
pt 22 -23 netA 1 net A kind out !! pt:net==A // U1 output
pt 30 -23 netA 1 net A kind in !! pt:net==A
pt 54 -25 netA 1 net A kind in !! pt:net==A
pt 14 -42 netB 3 net B kind out !! pt:net==B // U3 output
pt 38 -30 netB 3 net B kind in !! pt:net==B

# --- routes: paths with net and length, straight jumpers as lines
path 4 22 -23 26 -23 26 -25 30 -25 netA net A length 10 !! path:net==A#pt:net==A // net A, first branch
path 5 26 -23 26 -12 50 -12 50 -25 54 -25 netA net A length 42 !! path:net==A // net A, over the cells
path 4 14 -42 14 -36 38 -36 38 -30 netB net B length 36 !! path:net==B#pt:net==B // net B
line 46 -49 54 -49 black net C // a jumper
line 46 -53 54 -53 gray net C // a second jumper

# --- vias on the routes
circle 26 -23 1.2 via net A !! circle:net==A
circle 50 -12 1.2 via net A !! circle:net==A
circle 14 -36 1.2 via net B !! circle:net==B
circle 71 -52 4 teal net none // a large round pad

# --- regions: an L-shaped keep-out and a five-pointed star (its inner pentagon stays unfilled)
polygon 6 56 -42 78 -42 78 -46 64 -46 64 -58 56 -58 keepout layer M2 !! polygon:layer==M2 // L-shaped keep-out on M2
polygon 5 90 -44 94.7 -58.5 82.4 -49.5 97.6 -49.5 85.3 -58.5 purple layer M1 // star: one polygon of five vertices
