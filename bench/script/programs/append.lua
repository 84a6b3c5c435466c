local t = ""
for k = 1, 100000 do
  t = t .. "x"
end
print(#t)
