local s = 0
for i = 1, 5000000 do
  s = (s + i * i) % 1000003
end
print(s)
